#pragma once
#include <functional>

namespace kervio {

class Dialogs;

// The general error handler around one user action: an error is shown with
// its own text, a silent abort ends the action quietly. `settle` runs once
// the action has ended, by an error too, before the error is shown. Returns
// false when the action ended by an error or an abort.
bool runGuarded(Dialogs &dialogs, const std::function<void()> &action, const std::function<void()> &settle = {});

} // namespace kervio
