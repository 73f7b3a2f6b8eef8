// Reads and rewrites the resources of another program file, the way the
// Windows resource update works: changes collect until End, which commits
// them whole or discards them, so a failed update leaves the file as it was.
// Windows edits PE resources; Linux edits the appended resource table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "util/resource_types.h"

class ResourceEditor {
 public:
  virtual ~ResourceEditor() = default;

  static std::unique_ptr<ResourceEditor> Create();  // the platform's editor

  // Starts an update of the file that keeps its existing resources.
  virtual bool Begin(const std::string& programFile) = 0;
  // Writes one resource into the pending update; null data deletes it.
  virtual bool Update(std::uint16_t type, const ResourceName& name, std::uint16_t language,
                      const std::string* data) = 0;
  // Commits the pending update, or discards it.
  virtual bool End(bool discard) = 0;

  // A read-only view of the file's resources as they are now.
  virtual bool OpenView(const std::string& programFile) = 0;
  virtual void CloseView() = 0;
  enum class Lookup { kFound, kFindFailed, kLoadFailed, kLockFailed };
  virtual Lookup Read(std::uint16_t type, const ResourceName& name, std::string& bytes) = 0;
  // The first language the view lists for that type and name; 0 when none.
  virtual std::uint16_t FirstLanguage(std::uint16_t type, const ResourceName& name) = 0;

  // The system's error code of the last failure.
  virtual std::uint32_t LastError() const = 0;
};
