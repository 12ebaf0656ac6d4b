#pragma once

#include "shell/porttags/PortTagStore.h"

#include <array>
#include <optional>

/// Lets the operator edit the four tags of the inputs or of the outputs; empty when cancelled.
class TagEditor
{
public:
    using Tags = std::array<QString, PortTagSet::Ports>;

    virtual ~TagEditor() = default;
    virtual std::optional<Tags> editTags(bool inputs, const Tags &current) = 0;
};
