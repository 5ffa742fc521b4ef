#include "fonts.h"

#include <QFont>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace shell {

void installFontSubstitutes()
{
    // Windows has "MS Sans Serif" and, in Korean, "돋움체"; "HY울릉도B" comes only with some
    // office suites.
    QFont::insertSubstitutions(u"HY울릉도B"_s, QStringList{u"돋움"_s, u"굴림"_s});
}

} // namespace shell
