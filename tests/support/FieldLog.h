#pragma once
// Notes every header field a reading tells, in order.
#include <string>
#include <utility>
#include <vector>

#include "tape/Decoder.h"

struct FieldLog : HeaderFieldSink {
    using Fields = std::vector<std::pair<HeaderField, std::string>>;
    Fields fields;
    void setField(HeaderField field, std::string_view text) override { fields.emplace_back(field, std::string(text)); }
};
