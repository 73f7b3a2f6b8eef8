// A branded copy under construction: a fresh folder beside the output
// folder, or inside it when nothing beside it can be renamed into it, that
// the build writes into. Complete replaces the earlier copy in the output
// folder with what the folder holds, entry by entry, or changes nothing.
// The folder goes with the object, with whatever it still holds.
#pragma once

#include <string>
#include <vector>

// The entries of the output folder that belong to a copy (made on either
// platform): its program file, its AutoRun file, bin, data and www. Every
// other file there is the user's.
std::vector<std::string> EarlierCopyIn(const std::string& output);

class TCopyUnderConstruction {
 public:
  explicit TCopyUnderConstruction(const std::string& output);
  ~TCopyUnderConstruction();
  TCopyUnderConstruction(const TCopyUnderConstruction&) = delete;
  TCopyUnderConstruction& operator=(const TCopyUnderConstruction&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string Path(const std::string& name) const;
  // A folder of the copy, made before anything is copied into it: the
  // shell's copy would otherwise name a lone source after it.
  std::string NewFolder(const std::string& name) const;

  // Moves the `earlier` entries of the output folder aside and the new
  // copy's entries into it; when one cannot move, everything goes back
  // where it was and EHiError says why.
  void Complete(const std::vector<std::string>& earlier);

 private:
  std::string output_;
  std::string folder_;
};
