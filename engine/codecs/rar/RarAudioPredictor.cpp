#include "engine/codecs/rar/RarAudioPredictor.h"

#include <cstdlib>

uint8_t RarAudioPredictor::Predict(int32_t channelDelta)
{
    ++byteCount;
    history[3] = history[2];
    history[2] = history[1];
    history[1] = lastDelta - history[0];
    history[0] = lastDelta;
    int32_t sum = 8 * lastByte + weight[0] * history[0] + weight[1] * history[1] + weight[2] * history[2] +
                  weight[3] * history[3] + weight[4] * channelDelta;
    return static_cast<uint8_t>((sum >> 3) & 0xFF);
}

uint8_t RarAudioPredictor::Commit(uint8_t predicted, uint8_t delta, int32_t& channelDelta)
{
    uint8_t actual = static_cast<uint8_t>(predicted - delta);
    int32_t error = static_cast<int32_t>(static_cast<int8_t>(delta)) * 8;
    errorSum[0] += static_cast<uint32_t>(std::abs(error));
    errorSum[1] += static_cast<uint32_t>(std::abs(error - history[0]));
    errorSum[2] += static_cast<uint32_t>(std::abs(error + history[0]));
    errorSum[3] += static_cast<uint32_t>(std::abs(error - history[1]));
    errorSum[4] += static_cast<uint32_t>(std::abs(error + history[1]));
    errorSum[5] += static_cast<uint32_t>(std::abs(error - history[2]));
    errorSum[6] += static_cast<uint32_t>(std::abs(error + history[2]));
    errorSum[7] += static_cast<uint32_t>(std::abs(error - history[3]));
    errorSum[8] += static_cast<uint32_t>(std::abs(error + history[3]));
    errorSum[9] += static_cast<uint32_t>(std::abs(error - channelDelta));
    errorSum[10] += static_cast<uint32_t>(std::abs(error + channelDelta));

    lastDelta = static_cast<int8_t>(static_cast<uint8_t>(actual - lastByte));
    channelDelta = lastDelta;
    lastByte = actual;

    if ((byteCount & 0x1F) == 0)
    {
        uint32_t smallest = errorSum[0];
        uint32_t index = 0;
        for (uint32_t i = 1; i < 11; ++i)
        {
            if (errorSum[i] < smallest)
            {
                smallest = errorSum[i];
                index = i;
            }
        }
        for (uint32_t& sum : errorSum)
            sum = 0;
        if (index != 0)
        {
            int32_t& k = weight[(index + 1) / 2 - 1];
            if (index & 1)
            {
                if (k >= -16)
                    --k;
            }
            else if (k < 16)
            {
                ++k;
            }
        }
    }
    return actual;
}
