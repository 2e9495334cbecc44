#include "platform/linux/desktop/ActionLog.h"

#include <syslog.h>

namespace tavix::platform::desktop {

void SyslogActionLog::report(const std::string& message) {
    syslog(LOG_USER | LOG_WARNING, "Tavix: %s", message.c_str());
}

}  // namespace tavix::platform::desktop
