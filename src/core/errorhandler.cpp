#include "errorhandler.h"
#include "dialogs.h"
#include "errors.h"

namespace kervio {

bool runGuarded(Dialogs &dialogs, const std::function<void()> &action, const std::function<void()> &settle)
{
    auto settled = [&] {
        if (settle)
            settle();
    };
    try {
        action();
        settled();
        return true;
    } catch (const SilentAbort &) {
    } catch (const KervioError &e) {
        settled();
        dialogs.error(e.text());
        return false;
    }
    settled();
    return false;
}

} // namespace kervio
