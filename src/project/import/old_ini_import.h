// Import of a first-generation project (".prj", old_ini_reader.h) into the
// open project's current target: the "PROJ" section's files go into the
// first group; "MAKEOPTS" and the tool sections of the target's family
// become the target's options. Targets, groups and the device stay.
//
// Sections (family: the ToolsetId they belong to): "W166", "Q166", "N166",
// "HZ166" (2); "W51", "Q51", "NB51", "N51" (0); "W251", "Q251", "N251" (1);
// "PROJ", "MAKEOPTS" (any). A first section "SESSION" is skipped. Reading
// ends at the end of the file, at a line that is no section where one is
// due, or at a section of another family. Keys a section does not know are
// skipped; a value that cannot be read counts as 0 or empty.
#pragma once

#include <string>

#include "project/import/old_ini_reader.h"
#include "project/model/project_records.h"

namespace pm2 {

inline constexpr const char* kOldIniInvalidFile = "Pelmora1 Project - Invalid File";
inline constexpr const char* kOldIniFamilyMismatch = "Pelmora1 Project - CPU Family mismatch";

// The texts of the shell's import command.
extern const char* const kOldIniImportQuestion;
extern const char* const kOldIniImportDone;
inline constexpr const char* kOldIniNotInProjectFolder =
    "Pelmora1 Project File is not in current Project Directory !";
inline constexpr const char* kOldIniCannotAccess = "Cannot access Pelmora1 Project File";

// Imports into project's current target. Empty on success, else one of the
// two messages above, or "Pelmora1 Project - " and the refusal of a listed
// file whose name or folder the project file cannot hold (saved, it would
// be read back as another file) or of a converted option text the files
// cannot hold (stored_texts.h); a failure leaves the project as it was.
std::string ImportOldIniProject(OldIniProject& file, ProjectRec* project);

// The bank-count code of the highest bank value: 0 below 2, 1 below 4, 2
// below 8, 3 below 16, else 4.
int BankCountCode(int highestBank);

}  // namespace pm2
