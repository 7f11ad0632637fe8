#include "framework/core/ProgramName.h"

#include <errno.h>

#include <utility>

namespace fw {
namespace {

std::string& Name() {
  static std::string name = program_invocation_short_name;
  return name;
}

}  // namespace

void SetProgramName(std::string name) { Name() = std::move(name); }

const std::string& ProgramName() { return Name(); }

}  // namespace fw
