#pragma once
// Report lengths from a HID report descriptor, counted as the program's
// transport expects them: the longest report of each direction in bytes plus
// one for the report id, which is there even when reports are not numbered.
// A direction whose reports carry no data has length 0.

#include "platform/hid_backend.h"

#include <cstdint>
#include <optional>
#include <span>

namespace platform {

struct HidDescriptorFacts {
    HidReportLengths lengths;
    bool numberedReports = false;  // a Report ID item occurs
};

// nullopt for a descriptor that ends inside an item.
std::optional<HidDescriptorFacts> parseReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace platform
