// The platform half of THi that the shared code builds on. Each function is
// defined once per platform (x_posix.cpp / x_win.cpp); nothing outside util/
// uses them.
#pragma once

#include <string>

#include "util/hi.h"
#include "util/resource_types.h"

namespace hi_internal {

// ---- processes ----
// The ids of all running processes, in the order the system lists them.
TProcessIdList SnapshotProcessIds();
// The program file of a process without first checking that it exists; empty
// when it cannot be read.
std::string ReadProcessPath(TProcessId pid);
// The form of an existing program path under which two paths name the same
// program; empty when the path cannot be resolved.
std::string PathIdentity(const std::string& path);

// ---- files ----
bool SetReadOnlyAttribute(const std::string& path, bool readOnly);
// A symbolic link (on Windows any reparse point: links and junctions).
bool IsLink(const std::string& path);
bool CreateFolder(const std::string& folder);  // one level

// ---- resources ----
// The running program's own resource of that type and name (any case).
bool LoadOwnResource(std::uint16_t type, const ResourceName& name, std::string& bytes);
// Its data resource (type 10).
bool LoadOwnDataResource(const std::string& name, std::string& bytes);

// ---- environment and network ----
bool SetEnv(const std::string& name, const std::string& value);
std::string GetEnv(const std::string& name);
// True when a listening TCP socket could be opened on the port.
bool CanListen(int port, bool loopback);
// True when a connection to the port of 127.0.0.1 is accepted and, unless
// greetingMs is negative, the server sends a first byte within that time.
bool ProbeLoopback(int port, int greetingMs);

}  // namespace hi_internal
