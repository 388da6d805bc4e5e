#pragma once
// Sound files made in the test itself: PCM WAV written byte by byte and Ogg
// Vorbis encoded with libvorbisenc under a fixed stream serial, both of a
// sine tone, so every run decodes the same samples.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <vorbis/vorbisenc.h>

#include "support/Bytes.h"

namespace sound_test
{

// The tone's value at frame i: amplitude 0..1 at frequency Hz.
inline float Tone(uint32_t i, uint32_t rate, float frequency, float amplitude)
{
    return amplitude * static_cast<float>(std::sin(2.0 * 3.14159265358979 * frequency * i / rate));
}

inline void Put32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
inline void Put16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
inline void PutTag(Bytes& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

// A RIFF WAVE file: the same tone in every channel.
inline Bytes MakeWave(uint32_t channels, uint32_t bits, uint32_t rate, uint32_t frames, float amplitude = 0.25f,
                      float frequency = 440.0f)
{
    const uint32_t dataBytes = frames * channels * bits / 8;
    Bytes out;
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, channels);
    Put32(out, rate);
    Put32(out, rate * channels * bits / 8);
    Put16(out, channels * bits / 8);
    Put16(out, bits);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (uint32_t i = 0; i < frames; ++i)
    {
        const float value = Tone(i, rate, frequency, amplitude);
        for (uint32_t c = 0; c < channels; ++c)
        {
            if (bits == 8)
                out.push_back(static_cast<uint8_t>(std::lround(128 + 127 * value)));
            else
                Put16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(32767 * value))));
        }
    }
    return out;
}

// An Ogg Vorbis file of the tone (quality 0.4).
inline Bytes MakeOgg(uint32_t channels, uint32_t rate, uint32_t frames, float amplitude = 0.25f,
                     float frequency = 440.0f)
{
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, static_cast<long>(channels), static_cast<long>(rate), 0.4f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 20240601);
    Bytes out;
    ogg_page page;
    auto emit = [&out](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    while (ogg_stream_flush(&stream, &page) != 0)
        emit(page);
    const uint32_t chunk = 1024;
    for (uint32_t done = 0; done <= frames;)
    {
        const uint32_t count = frames - done < chunk ? frames - done : chunk;
        if (count > 0)
        {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (uint32_t i = 0; i < count; ++i)
                for (uint32_t c = 0; c < channels; ++c)
                    buffer[c][i] = Tone(done + i, rate, frequency, amplitude);
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(count));
        done += count > 0 ? count : 1;
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    emit(page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0)
        emit(page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace sound_test

namespace sound_test
{

// Sends this process's sound to OpenAL Soft's null output unless the test
// run already chose (CTest does): OpenAL reads its configuration once, at
// the first device, so this must come before any.
inline void UseNullSoundUnlessChosen()
{
    if (std::getenv("ALSOFT_CONF"))
        return;
    static const std::string path = [] {
        std::string name = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/null-sound-" +
                           std::to_string(getpid()) + ".conf";
        std::ofstream(name) << "[general]\ndrivers = null\n";
        return name;
    }();
    setenv("ALSOFT_CONF", path.c_str(), 1);
}

} // namespace sound_test

namespace sound_test
{

// An OpenAL Soft configuration that records everything played into
// wavePath, as 16-bit stereo at 44.1 kHz without any processing of its own.
inline std::string RecordingConfig(const std::string& wavePath)
{
    return "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
           "hrtf = false\nstereo-encoding = panpot\noutput-limiter = false\ndither = false\n"
           "[wave]\nfile = " +
           wavePath + "\n";
}

// The samples (-1..1, interleaved) of a recorded 16-bit WAV and its channel
// count; empty when the file is no such WAV.
inline std::vector<float> RecordedSamples(const Bytes& wav, uint32_t& channels)
{
    uint32_t bits = 0;
    channels = 0;
    for (size_t at = 12; at + 8 <= wav.size();)
    {
        const uint32_t length = Peek32(wav, at + 4);
        if (std::memcmp(&wav[at], "fmt ", 4) == 0 && length >= 16)
        {
            channels = wav[at + 10];
            bits = wav[at + 22];
        }
        else if (std::memcmp(&wav[at], "data", 4) == 0 && channels > 0 && bits == 16)
        {
            std::vector<float> samples;
            const size_t end = std::min(wav.size(), at + 8 + static_cast<size_t>(length));
            for (size_t i = at + 8; i + 1 < end; i += 2)
                samples.push_back(static_cast<int16_t>(wav[i] | wav[i + 1] << 8) / 32768.0f);
            return samples;
        }
        at += 8 + static_cast<size_t>(length);
    }
    return {};
}

// The largest magnitude of each channel (0..1) of a recorded 16-bit WAV;
// empty when the file is no such WAV.
inline std::vector<double> ChannelPeaks(const Bytes& wav)
{
    uint32_t channels = 0;
    const std::vector<float> samples = RecordedSamples(wav, channels);
    if (samples.empty())
        return {};
    std::vector<double> peaks(channels, 0.0);
    for (size_t n = 0; n < samples.size(); ++n)
        peaks[n % channels] = std::max(peaks[n % channels], static_cast<double>(std::fabs(samples[n])));
    return peaks;
}

} // namespace sound_test
