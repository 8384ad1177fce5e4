// What the shell does with a code-generator project (".dpt"): import it
// into project files of its own beside it, and notice when the ".dpt"
// file has changed since the project took it in.
#pragma once

#include <functional>
#include <string>

#include "project/import/code_gen_project.h"

namespace pm2 {

struct AppState;

// The importer's environment from the application's: the device database
// (`databasePath`), the executables folder of every toolset, and where
// failures are told.
CodeGenImportEnv CodeGenEnvFrom(const AppState& app, const std::string& databasePath,
                                std::function<void(const std::string&)> report);

// Imports the ".dpt" file into a new project and writes its project and
// options files beside it ("<name>.Pm2"). Returns that path; empty after a
// failure, which is told through env.report, and then no project file is
// written. The project records are freed again (pool 1): the caller opens
// the written file as any project.
std::string ImportCodeGenProjectFiles(const std::string& dptPath, const CodeGenImportEnv& env);

// The ".dpt" file of a project imported from one: "<folder><name>.dpt",
// looked up ignoring case. True when the project records an import time,
// the file exists, and its last-write time differs from the recorded one;
// *dptPath is set whenever the project records an import time.
bool CodeGenProjectChanged(const ProjectRec& project, std::string* dptPath);

// The question asked when it has.
std::string CodeGenChangedQuestion(const std::string& dptPath);

}  // namespace pm2
