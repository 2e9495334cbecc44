#include "platform/linux/Syslog.h"

#include <syslog.h>

namespace tavix::platform {

Syslog::Syslog() {
    // The ident must outlive every later syslog call: a literal does.
    openlog("tavix", LOG_PID, LOG_USER);
}

void Syslog::write(const std::string& line) {
    syslog(LOG_WARNING, "%s", line.c_str());
}

}  // namespace tavix::platform
