#pragma once

#include "runtime/RuntimeError.h"
#include "runtime/UserPrompts.h"

#include <QObject>
#include <exception>
#include <type_traits>
#include <utility>

// Every place where Qt calls the program (slots, event handlers, lambdas connected to signals)
// runs its body through guarded(): an exception must never unwind into Qt's event loop. A
// runtime error that escapes a handler is shown as an unhandled run-time error (its number and
// description), and the program goes on with the next event.
void showUnhandledError(UserPrompts& prompts, const RuntimeError& error);
// Any other exception is a fault of the program itself: its state is unknown, so it must not go
// on writing to a live server. The report goes to standard error and the program ends.
[[noreturn]] void endOnInternalError(const std::exception& error);

template <typename Body>
void guarded(UserPrompts& prompts, Body&& body)
{
    try {
        std::forward<Body>(body)();
    } catch (const RuntimeError& e) {
        showUnhandledError(prompts, e);
    } catch (const std::exception& e) {
        endOnInternalError(e);
    }
}

// QObject::connect with the handler run through guarded(). The handler takes all of the signal's
// arguments or none.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(UserPrompts& prompts, const Sender* sender, Signal signal, const QObject* context,
                                       Handler handler)
{
    return QObject::connect(sender, signal, context, [&prompts, handler = std::move(handler)](auto&&... args) {
        guarded(prompts, [&] {
            if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    });
}
