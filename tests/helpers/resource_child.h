// resource_child's one platform service.
#pragma once

#include <string>

// Whether the system itself finds and loads this program's main icon, and
// the image identifiers its group lists: "loads=1\nids=1,2,3\n".
std::string OwnMainIconReport();
