// Contact sheets (PNG) of a Res tree, for the documentation.
#pragma once

#include <string>

namespace assets {

// Writes assets-sprites.png, assets-stages.png and assets-menu.png into folder from the Res
// tree at res; false when a picture is missing or a sheet cannot be written.
bool WriteContactSheets(const std::string& res, const std::string& folder);

}  // namespace assets
