#include "tools/soundgen/OggWriter.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <vorbis/vorbisenc.h>

namespace soundgen
{

namespace
{

// The encoder's state, cleared in reverse order of its making.
struct Encoder
{
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool analysing = false;
    Encoder()
    {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder()
    {
        if (analysing)
        {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
};

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool WriteOgg(const Track& track, float quality, uint32_t serial, const std::string& path)
{
    Encoder encoder;
    if (vorbis_encode_init_vbr(&encoder.info, static_cast<long>(track.channels), kRate, quality) != 0)
        return false;
    vorbis_analysis_init(&encoder.dsp, &encoder.info);
    vorbis_block_init(&encoder.dsp, &encoder.block);
    ogg_stream_init(&encoder.stream, static_cast<int>(serial));
    encoder.analysing = true;

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    bool written = true;
    auto emit = [&](const ogg_page& page) {
        written = written && std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), file.get()) ==
                                 static_cast<size_t>(page.header_len);
        written = written && std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), file.get()) ==
                                 static_cast<size_t>(page.body_len);
    };
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&encoder.stream, &identification);
    ogg_stream_packetin(&encoder.stream, &comments);
    ogg_stream_packetin(&encoder.stream, &codebooks);
    ogg_page page;
    // The audio starts on a page of its own, as players expect.
    while (ogg_stream_flush(&encoder.stream, &page) != 0)
        emit(page);

    constexpr uint32_t kChunk = 4096;
    for (uint32_t done = 0;;)
    {
        const uint32_t count = std::min(kChunk, track.frames - done);
        if (count > 0)
        {
            float** buffer = vorbis_analysis_buffer(&encoder.dsp, static_cast<int>(count));
            for (uint32_t c = 0; c < track.channels; ++c)
                for (uint32_t i = 0; i < count; ++i)
                    buffer[c][i] = track.samples[static_cast<size_t>(done + i) * track.channels + c];
        }
        // A count of 0 marks the end of the stream.
        vorbis_analysis_wrote(&encoder.dsp, static_cast<int>(count));
        done += count;
        while (vorbis_analysis_blockout(&encoder.dsp, &encoder.block) == 1)
        {
            vorbis_analysis(&encoder.block, nullptr);
            vorbis_bitrate_addblock(&encoder.block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&encoder.dsp, &packet) == 1)
            {
                ogg_stream_packetin(&encoder.stream, &packet);
                while (ogg_stream_pageout(&encoder.stream, &page) != 0)
                    emit(page);
            }
        }
        if (count == 0)
            break;
    }
    while (ogg_stream_flush(&encoder.stream, &page) != 0)
        emit(page);
    return written;
}

} // namespace soundgen
