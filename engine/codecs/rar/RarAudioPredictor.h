#pragma once
#include <cstdint>

// One channel of the multimedia (audio) mode: predicts the next byte from
// the channel's recent deltas with five weights that adapt every 32 bytes to
// whichever predictor term would have erred least. The decoder and the
// encoder run the same steps, so the packer reproduces the reader's output
// exactly. The channel delta is shared by all channels and owned by the
// caller.
class RarAudioPredictor
{
public:
    // Advances the history for the next byte and gives the predicted byte.
    uint8_t Predict(int32_t channelDelta);

    // Completes the byte after Predict: delta is predicted - actual (mod
    // 256), as stored in the stream. Updates channelDelta and gives the
    // actual byte.
    uint8_t Commit(uint8_t predicted, uint8_t delta, int32_t& channelDelta);

    // The stream's delta for a known byte: what Commit must receive.
    static uint8_t DeltaFor(uint8_t predicted, uint8_t actual) { return static_cast<uint8_t>(predicted - actual); }

private:
    int32_t weight[5] = {};   // K1 to K5
    int32_t history[4] = {};  // D1 to D4
    int32_t lastDelta = 0;
    uint32_t errorSum[11] = {};
    uint32_t byteCount = 0;
    int32_t lastByte = 0;
};
