// The folder of the running program's own executable.
#pragma once

#include <filesystem>

std::filesystem::path ProgramFolder();
