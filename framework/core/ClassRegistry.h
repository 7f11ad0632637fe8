#pragma once
// The class registry ("class tables"): one record per class, built at start-up by the
// module initialiser, framework classes first. It describes classes only: a window class's
// shared instance is kept by the window list (GetImplicitWindow), not here.
#include <string>
#include <vector>

namespace fw {

struct MemberRecord {
  std::string name;
  std::string scope;  // "Public", "Private", "Protected"
};

struct ClassRecord {
  std::string fullName;  // e.g. "mainWindow.mainWindow"
  std::string baseName;  // e.g. "Window"; empty for a root class
  std::vector<MemberRecord> members;
};

class ClassRegistry {
 public:
  static ClassRegistry& Shared();
  // Registers a class once; a second record under the same name is ignored.
  void Register(ClassRecord record);
  const ClassRecord* Find(const std::string& fullName) const;
  void Clear();

 private:
  friend struct ClassRegistryForTesting;
  std::vector<ClassRecord> records_;
};

// Registers the framework's own classes (windows first, then the rest).
void RegisterFrameworkClasses();

}  // namespace fw
