// Where the numbers of an export come from: the material and its sources,
// for the exports' own use.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "material/Material.h"

namespace tadmor::exporting {

// {"name": ..., "sources": [...]}, or null without a material.
inline nlohmann::ordered_json MaterialJson(const std::optional<material::Material>& material) {
    if (!material) return nullptr;
    return {{"name", material->name}, {"sources", material->sources}};
}

}  // namespace tadmor::exporting
