// Finds and loads the tool's picture module (tools/pictures/picture_module.h) for check and sheet.
#pragma once

#include "catalogue/result.h"
#include "tools/check/catalogue_check.h"
#include "tools/pictures/picture_module.h"

#include <string>

namespace specialty {

// Where the module of the program at `program` (an absolute path, links resolved) is: beside it in the
// build tree, else in the private folder it is installed to, at the same place relative to the program.
std::string pictureModulePath(const std::string& program);

// Loads the module at `path` and checks that it is of this build. It stays loaded for the rest of the run.
// Fails with OutputFault::PictureModuleNotLoaded (the loader's reason) or PictureModuleOtherBuild.
Result<const PictureModule*> loadPictureModule(const std::string& path);

// The module of this very program, found from its own file, never from the working directory or the
// environment.
Result<const PictureModule*> loadOwnPictureModule();

// Check's judgement of a picture through `module`; a picture that does not show whole fails with
// OutputFault::PictureJudgedByModule, worded as the module words it.
PictureCheck moduleJudgement(const PictureModule& module);

} // namespace specialty
