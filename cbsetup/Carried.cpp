// The table of carried resources. The bytes are constant data of the program, so the table
// over them is immutable and safe to share.
#include "cbsetup/Carried.h"

namespace cbsetup {

const ResourceTable& carriedResources()
{
    static const ResourceTable table(carriedResourceList());
    return table;
}

std::span<const std::uint8_t> findResource(std::string_view name)
{
    return carriedResources().bytes(name);
}

} // namespace cbsetup
