// halcyra-server: the chat server with its operator console.

#include "chatlink/chatserver.h"
#include "fonts.h"
#include "forms.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    chatlink::raiseOpenFileLimit();
    // The poll-based dispatcher re-arms socket notifiers far more cheaply than the GLib one,
    // which matters with one notification per block.
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(u":/halcyra/halcyra.ico"_s));
    console::installFontSubstitutes();
    return shell::run(chatlink::kServerPort);
}
