#pragma once

#include "errors.h"
#include "messagebox.h"
#include "wording.h"

#include <QObject>
#include <exception>

namespace uisupport {

// Runs a handler and shows any error that escapes it, so that no exception unwinds through the
// event loop; the program then goes on. Returns false when there was one.
template <typename Handler> bool guarded(Handler &&handler) noexcept
{
    try {
        handler();
        return true;
    } catch (const wire::SendError &e) {
        errorBox(wording::sendRefused(e));
    } catch (const std::exception &e) {
        errorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        errorBox(QString());
    }
    return false;
}

// Words a refused send for the user.
using RefusalWording = QString (*)(const wire::SendError &);

// Runs a send; when it is refused, shows why in the standard error box, worded by `word`, and
// returns false. Any other error goes on to the guard.
template <typename Send> bool refusable(Send &&send, RefusalWording word)
{
    try {
        send();
        return true;
    } catch (const wire::SendError &e) {
        errorBox(word(e));
    }
    return false;
}

// Connects a signal to a handler of the receiver that takes no arguments, run inside guarded().
template <typename Sender, typename Signal, typename Receiver>
QMetaObject::Connection connectGuarded(const Sender *sender, Signal signal, Receiver *receiver,
                                       void (Receiver::*handler)())
{
    return QObject::connect(sender, signal, receiver,
                            [receiver, handler] { guarded([&] { (receiver->*handler)(); }); });
}

} // namespace uisupport
