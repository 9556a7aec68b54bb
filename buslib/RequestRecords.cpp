#include "RequestRecords.h"

#include <cstring>

namespace tk::records {

std::uint64_t GetField(const std::uint8_t* record, Layout layout, const Field& field) {
    const std::uint8_t* p = record + field.Offset(layout);
    switch (field.Width(layout)) {
        case 1:
            return Get8(p);
        case 2:
            return Get16(p);
        case 4:
            return Get32(p);
        default:
            return Get64(p);
    }
}

void PutField(std::uint8_t* record, Layout layout, const Field& field, std::uint64_t value) {
    std::uint8_t* p = record + field.Offset(layout);
    switch (field.Width(layout)) {
        case 1:
            Put8(p, static_cast<std::uint8_t>(value));
            break;
        case 2:
            Put16(p, static_cast<std::uint16_t>(value));
            break;
        case 4:
            Put32(p, static_cast<std::uint32_t>(value));
            break;
        default:
            Put64(p, value);
            break;
    }
}

const RequestSpec* FindRequest(std::uint32_t code) {
    for (const RequestSpec& spec : kAllRequests) {
        if (spec.code == code) {
            return &spec;
        }
    }
    return nullptr;
}

bool ReplyLengthAccepted(const RequestSpec& spec, Layout layout, std::uint32_t replyLength,
                         bool bufferGiven) {
    switch (spec.rule) {
        case ReplyRule::ExactSize:
            return replyLength == spec.Size(layout);
        case ReplyRule::AtLeastHeader:
            return replyLength >= HeaderSize(layout);
        case ReplyRule::HeaderWhenBufferGiven:
            return replyLength == (bufferGiven ? HeaderSize(layout) : spec.Size(layout));
    }
    return false;
}

RequestRecord::RequestRecord(const RequestSpec& spec, Layout layout)
    : spec_(&spec), layout_(layout) {
    std::memset(bytes_, 0, sizeof bytes_);
    Set(header::Code, spec.code);
}

}  // namespace tk::records
