#include "fonts.h"

#include <QFont>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace shell {

void installFontSubstitutes()
{
    QFont::insertSubstitutions(u"MS Sans Serif"_s,
                               QStringList{u"NanumGothic"_s, u"Noto Sans CJK KR"_s});
    QFont::insertSubstitutions(u"돋움체"_s, QStringList{u"NanumGothicCoding"_s, u"NanumGothic"_s});
    QFont::insertSubstitutions(u"HY울릉도B"_s,
                               QStringList{u"NanumSquareRound"_s, u"NanumGothic"_s});
}

} // namespace shell
