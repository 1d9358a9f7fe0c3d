// The payloads this installer carries inside its executable, packed at build time from the
// files the build names (CBSETUP_SCREENSAVER, CBSETUP_HELP, CBSETUP_RTF).
#pragma once

#include "cbsetup/Resources.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace cbsetup {

// The generated list (in the build folder's carried_payloads.cpp).
std::vector<Resource> carriedResourceList();

// The carried resources as one table, built once per call site that keeps it.
const ResourceTable& carriedResources();

// The bytes of one carried resource; an empty span with a null data pointer when missing.
std::span<const std::uint8_t> findResource(std::string_view name);

} // namespace cbsetup
