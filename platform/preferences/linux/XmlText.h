#pragma once

#include <string_view>

namespace tavix::platform {

// Whether the text is well-formed UTF-8 made only of characters an XML 1.0 reader hands back
// unchanged: no NUL or other control character except tab and line feed (a carriage return
// comes back as a line feed), no surrogate, no U+FFFE or U+FFFF.
bool fitsXmlText(std::string_view text);

}  // namespace tavix::platform
