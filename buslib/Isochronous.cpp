// Isochronous reception: start, stop, frames in and out, and the library's
// count of the buffers each context has with the driver.
#include <cstdint>

#include "buslib/ModuleState.h"

namespace {

using namespace tk::detail;
namespace rec = tk::records;

bool ContextInRange(std::uint32_t context) {
    return context < TK_ISO_CONTEXTS;
}

}  // namespace

std::uint32_t TKIsoStart(std::uint32_t card, std::uint32_t dmaChannelSelection,
                         std::uint32_t firstPacketSelection, std::uint32_t packetsPerFrame,
                         std::uint32_t bytesPerPacket, std::uint32_t* buffers,
                         std::uint32_t* context, const TKImageInfo* image) {
    if (!CardInRange(card)) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    const std::uint32_t payload = bytesPerPacket & 0xFFFF;
    if (packetsPerFrame == 0 || payload == 0) {
        return TKE_OUT_OF_RANGE;
    }
    rec::RequestRecord record(rec::request::IsoStart, CurrentLayout());
    record.Set(rec::iso_start::BuffersRequested, buffers ? (*buffers & 0xFFFF) : 1);
    record.Set(rec::iso_start::PacketsPerFrame, packetsPerFrame);
    record.Set(rec::iso_start::BytesPerPacket, payload);
    record.Set(rec::iso_start::FirstPacketSelection, firstPacketSelection);
    record.Set(rec::iso_start::DmaChannelSelection, dmaChannelSelection);
    if (image != nullptr) {
        record.Set(rec::iso_start::Top, image->top);
        record.Set(rec::iso_start::Left, image->left);
        record.Set(rec::iso_start::Height, image->height);
        record.Set(rec::iso_start::Width, image->width);
        record.Set(rec::iso_start::ColourCode, image->colourCode);
    }
    const std::uint32_t result = ExchangeRequest(ChannelOf(card), record);
    if (result != TK_OK) {
        return result;
    }
    const auto index = static_cast<std::uint32_t>(record.Get(rec::iso_start::Context));
    const auto allocated = static_cast<std::uint32_t>(record.Get(rec::iso_start::BuffersAllocated));
    if (context != nullptr) {
        *context = index;
    }
    if (buffers != nullptr) {
        *buffers = allocated;
    }
    if (ContextInRange(index)) {
        CardState& state = Card(card);
        state.allocated[index].store(static_cast<std::int32_t>(allocated));
        state.posted[index].store(static_cast<std::int32_t>(allocated));
    }
    return TK_OK;
}

std::uint32_t TKIsoStop(std::uint32_t card, std::uint32_t context) {
    if (!CardInRange(card)) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::IsoStop, CurrentLayout());
    record.Set(rec::header::Param1, context);
    return ExchangeRequest(ChannelOf(card), record);
}

std::uint32_t TKIsoInquire(std::uint32_t card, std::uint32_t context, TKFrameInfo* frame) {
    if (!CardInRange(card) || !ContextInRange(context) || frame == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::IsoInquire, CurrentLayout());
    record.Set(rec::header::Param1, context);
    const std::uint32_t result = ExchangeRequest(ChannelOf(card), record);
    if (result != TK_OK) {
        return result;
    }
    frame->left = static_cast<std::uint32_t>(record.Get(rec::iso_frame::Left));
    frame->top = static_cast<std::uint32_t>(record.Get(rec::iso_frame::Top));
    frame->width = static_cast<std::uint32_t>(record.Get(rec::iso_frame::Width));
    frame->height = static_cast<std::uint32_t>(record.Get(rec::iso_frame::Height));
    frame->colourCode = static_cast<std::uint16_t>(record.Get(rec::iso_frame::ColourCode));
    frame->frameMark = static_cast<std::uint16_t>(record.Get(rec::iso_frame::FrameMark));
    // Handles are 32 bits wide towards the application; the wide record's
    // upper half carries nothing.
    frame->bufferHandle = static_cast<std::uint32_t>(record.Get(rec::iso_frame::BufferHandle));
    // The view marks frames in place, so the lent buffer is writable.
    frame->data = const_cast<std::uint8_t*>(tk::CurrentDriverPlatform().DriverAddressToPointer(
        record.Get(rec::iso_frame::DataAddress)));
    if (frame->bufferHandle != 0) {
        Card(card).posted[context].fetch_sub(1);
    }
    return TK_OK;
}

std::uint32_t TKIsoPost(std::uint32_t card, std::uint32_t context, const TKFrameInfo* frame) {
    if (!CardInRange(card) || !ContextInRange(context) || frame == nullptr ||
        frame->bufferHandle == 0) {
        return TKE_OUT_OF_RANGE;
    }
    if (!BusOpen(card)) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::IsoPost, CurrentLayout());
    record.Set(rec::iso_frame::BufferHandle, frame->bufferHandle);
    record.Set(rec::iso_frame::PostContext, context);
    record.Set(rec::iso_frame::PostMarker, 1);
    const std::uint32_t result = ExchangeRequest(ChannelOf(card), record, tk::kWaitInfinite, true);
    if (result == TK_OK) {
        Card(card).posted[context].fetch_add(1);
    }
    return result;
}

std::uint32_t TKIsoClear(std::uint32_t card, std::uint32_t context) {
    if (!CardInRange(card) || !ContextInRange(context)) {
        return TKE_OUT_OF_RANGE;
    }
    CardChannel* channel = ChannelOf(card);
    if (channel == nullptr) {
        return TKE_NOT_OPENED;
    }
    rec::RequestRecord record(rec::request::IsoClear, CurrentLayout());
    record.Set(rec::header::Param1, context);
    const std::uint32_t result = ExchangeRequest(channel, record);
    CardState& state = Card(card);
    state.posted[context].store(state.allocated[context].load());
    return result;
}

std::uint32_t TKIsoGetPostedCount(std::uint32_t card, std::uint32_t context, std::uint32_t* count) {
    if (!CardInRange(card) || !ContextInRange(context) || count == nullptr) {
        return TKE_OUT_OF_RANGE;
    }
    *count = static_cast<std::uint32_t>(Card(card).posted[context].load());
    return TK_OK;
}
