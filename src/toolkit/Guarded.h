#pragma once

#include <QString>

#include <functional>
#include <optional>

// The default error report: runs a handler; a TarvikError (or any std::exception)
// thrown inside ends the handler there and its text is shown in a message box with the
// application's title as caption, once the handler has unwound. The program goes on. The
// event loop never sees it, nor anything else a handler throws.
namespace ErrorReport {
void run(const std::function<void()>& handler);
// Runs a handler and gives back the text of what it threw, without reporting it: for a
// caller that decides itself whether a failure is news.
std::optional<QString> failureOf(const std::function<void()>& handler);
// Reports a failure's text as run() does.
void show(const QString& failure);
// The caption of the report boxes (the application title once start-up has set it).
void setCaption(const QString& caption);
} // namespace ErrorReport

// Wraps a member handler for connect(): the handler runs under the default error report.
//   connect(Button_Add, &QPushButton::clicked, this, guarded(this, &TForm_Main::Button_AddClick));
template <class Obj, class... Args> auto guarded(Obj* obj, void (Obj::*handler)(Args...)) {
    return [obj, handler](Args... args) { ErrorReport::run([&] { (obj->*handler)(args...); }); };
}
