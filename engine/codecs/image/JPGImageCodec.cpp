#include "engine/codecs/image/JPGImageCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

// The IJG headers need stdio first.
#include <jerror.h>
#include <jpeglib.h>

#include "engine/image/Image.h"
#include "engine/core/Log.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"

namespace
{

// The library reports errors through error_exit, which by default prints
// and exits the process; ours logs and jumps back to the call that started
// the work. Nothing between the jump and its target has a destructor: the
// frames in between are the library's C code and these callbacks.
struct ErrorManager
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void LogLibraryMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    LogWarning("%d %s", info->err->msg_code, text);
}

[[noreturn]] void ExitWithError(j_common_ptr info)
{
    LogLibraryMessage(info);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

ErrorManager* PrepareErrors(ErrorManager& errors)
{
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = &ExitWithError;
    errors.manager.output_message = &LogLibraryMessage;
    return &errors;
}

// The whole file is handed over at once; asking for more means the data
// ended before the picture did.
void InitSource(j_decompress_ptr)
{
}

boolean FillInput(j_decompress_ptr info)
{
    ERREXIT(info, JERR_INPUT_EOF);
    return FALSE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    if (static_cast<unsigned long>(count) > info->src->bytes_in_buffer)
        ERREXIT(info, JERR_INPUT_EOF);
    info->src->next_input_byte += count;
    info->src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr)
{
}

// Compressed bytes go to the engine file in blocks; a refused write is a
// library error like any other.
struct FileDestination
{
    jpeg_destination_mgr manager;
    File* file;
    JOCTET buffer[16384];
};

void InitDestination(j_compress_ptr info)
{
    FileDestination* destination = reinterpret_cast<FileDestination*>(info->dest);
    destination->manager.next_output_byte = destination->buffer;
    destination->manager.free_in_buffer = sizeof(destination->buffer);
}

boolean EmptyOutput(j_compress_ptr info)
{
    FileDestination* destination = reinterpret_cast<FileDestination*>(info->dest);
    if (destination->file->Write(destination->buffer, sizeof(destination->buffer)) != 0)
        ERREXIT(info, JERR_FILE_WRITE);
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    FileDestination* destination = reinterpret_cast<FileDestination*>(info->dest);
    const size_t used = sizeof(destination->buffer) - destination->manager.free_in_buffer;
    if (used > 0 && destination->file->Write(destination->buffer, static_cast<uint32_t>(used)) != 0)
        ERREXIT(info, JERR_FILE_WRITE);
}

struct Picture
{
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t format = Image::kPixel24;
    std::unique_ptr<uint8_t[]> pixels; // handed to the image
};

// What the library keeps for a file of several scans (progressive ones):
// every coefficient block of the picture, each component's block rows and
// columns rounded up to its sampling factors. 0 for a single scan, which is
// decoded a few rows at a time. Valid after jpeg_read_header.
uint64_t CoefficientSize(const jpeg_decompress_struct& info)
{
    if (!jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&info)))
        return 0;
    auto roundUp = [](uint64_t value, int step) {
        const uint64_t by = step > 0 ? static_cast<uint64_t>(step) : 1;
        return (value + by - 1) / by * by;
    };
    uint64_t total = 0;
    for (int i = 0; i < info.num_components; ++i)
    {
        const jpeg_component_info& component = info.comp_info[i];
        total += roundUp(component.width_in_blocks, component.h_samp_factor) *
                 roundUp(component.height_in_blocks, component.v_samp_factor) * sizeof(JBLOCK);
    }
    return total;
}

// Up to this many rows per library call.
constexpr uint32_t kRowBatch = 16;

int32_t Decode(const uint8_t* bytes, uint32_t size, const String& path, Picture& picture)
{
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof(info));
    ErrorManager errors;
    info.err = &PrepareErrors(errors)->manager;
    jpeg_source_mgr source;
    source.next_input_byte = bytes;
    source.bytes_in_buffer = size;
    source.init_source = &InitSource;
    source.fill_input_buffer = &FillInput;
    source.skip_input_data = &SkipInput;
    source.resync_to_restart = &jpeg_resync_to_restart;
    source.term_source = &TermSource;

    if (setjmp(errors.jump))
    {
        jpeg_destroy_decompress(&info);
        return 1;
    }
    jpeg_create_decompress(&info);
    // The library may hold no more than the engine lets one picture take;
    // beyond that it fails (it has no backing store) instead of allocating.
    info.mem->max_memory_to_use = static_cast<long>(Image::kMaxDataSize);
    info.src = &source;
    jpeg_read_header(&info, TRUE);
    // The header's size is input: refuse what the engine would not
    // allocate before the library sizes its own buffers from it.
    jpeg_calc_output_dimensions(&info);
    const int components = info.output_components;
    const uint64_t rowSize = static_cast<uint64_t>(info.output_width) * static_cast<uint32_t>(components);
    const uint64_t pixelSize = rowSize * info.output_height;
    if (components != 1 && components != 3)
    {
        LogWarning("Неподдерживаемое число компонент [%d] в файле JPEG [%s].", components, path.CStr());
        jpeg_destroy_decompress(&info);
        return 1;
    }
    if (pixelSize > Image::kMaxDataSize || CoefficientSize(info) > Image::kMaxDataSize)
    {
        LogWarning("Размеры изображения [%u x %u] в файле JPEG [%s] слишком велики.", info.output_width,
                   info.output_height, path.CStr());
        jpeg_destroy_decompress(&info);
        return 1;
    }
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[pixelSize]);
    if (!pixels)
    {
        LogError("Недостаточно памяти для чтения файла JPEG [%s].", path.CStr());
        jpeg_destroy_decompress(&info);
        return 2;
    }

    // Nothing the handler below reads changes after this point.
    if (setjmp(errors.jump))
    {
        jpeg_destroy_decompress(&info);
        return 1;
    }
    jpeg_start_decompress(&info);
    // The library gives the top row first; memory wants the bottom row
    // first, so each scanline lands in its mirrored row.
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW rows[kRowBatch];
        const uint32_t first = info.output_scanline;
        const uint32_t count = info.output_height - first < kRowBatch ? info.output_height - first : kRowBatch;
        for (uint32_t i = 0; i < count; ++i)
            rows[i] = pixels.get() + (info.output_height - 1 - (first + i)) * rowSize;
        jpeg_read_scanlines(&info, rows, count);
    }
    jpeg_finish_decompress(&info);
    picture.width = info.output_width;
    picture.height = info.output_height;
    picture.format = components == 3 ? Image::kPixel24 : Image::kPixel8;
    jpeg_destroy_decompress(&info);
    picture.pixels = std::move(pixels);
    return 0;
}

int32_t Encode(File& file, const uint8_t* pixels, uint32_t width, uint32_t height, int components)
{
    jpeg_compress_struct info;
    std::memset(&info, 0, sizeof(info));
    ErrorManager errors;
    info.err = &PrepareErrors(errors)->manager;
    FileDestination destination;
    destination.file = &file;
    destination.manager.init_destination = &InitDestination;
    destination.manager.empty_output_buffer = &EmptyOutput;
    destination.manager.term_destination = &TermDestination;

    if (setjmp(errors.jump))
    {
        jpeg_destroy_compress(&info);
        return 1;
    }
    jpeg_create_compress(&info);
    info.dest = &destination.manager;
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, JPGImageCodec::kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const uint64_t rowSize = static_cast<uint64_t>(width) * static_cast<uint32_t>(components);
    while (info.next_scanline < height)
    {
        // The library only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(pixels + (height - 1 - info.next_scanline) * rowSize);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 0;
}

int32_t CreateCodec(Codec** place)
{
    if (!place)
        return 3;
    *place = new (std::nothrow) JPGImageCodec();
    return *place ? 0 : 2;
}

} // namespace

JPGImageCodec::JPGImageCodec() : Codec(String("JPGImageCodec"))
{
    AddExtension(String("JPG"));
    AddExtension(String("jpg"));
    AddExtension(String("Jpg"));
    AddExtension(String("JPEG"));
    AddExtension(String("jpeg"));
    AddExtension(String("Jpeg"));
}

int32_t JPGImageCodec::LoadImage(File* file, Image** place)
{
    if (!file || !place)
        return 3;
    if (file->Open(File::kRead) != 0)
        return 1;
    // The open file holds the whole content; the library reads it in place.
    Picture picture;
    const int32_t decoded = Decode(file->GetBuffer(), file->GetRemaining(), file->GetPath(), picture);
    if (decoded != 0)
    {
        file->Close();
        return decoded;
    }
    if (file->Close() != 0)
        return 1;
    return Image::Deliver(place, file, picture.format, picture.width, picture.height, std::move(picture.pixels));
}

int32_t JPGImageCodec::SaveImage(File* file, Image* image)
{
    if (!file || !image)
        return 3;
    const int32_t format = image->GetFormat();
    const int components = format == Image::kPixel24 ? 3 : 1;
    const uint64_t size = static_cast<uint64_t>(image->GetWidth()) * image->GetHeight() * components;
    if ((format != Image::kPixel24 && format != Image::kPixel8) || !image->GetData() || size == 0 ||
        size > image->GetDataSize())
    {
        LogWarning("Изображение [%s] не может быть сохранено в файл JPEG [%s].", image->GetName().CStr(),
                   file->GetPath().CStr());
        return 3;
    }
    if (file->Open(File::kWrite) != 0)
        return 1;
    if (Encode(*file, image->GetData(), image->GetWidth(), image->GetHeight(), components) != 0)
    {
        file->Close();
        return 1;
    }
    return file->Close() == 0 ? 0 : 1;
}

int32_t JPGImageCodec::RegisterModule()
{
    return RegisterBuiltInCodecModule(String("JPGImageCodec"), &CreateCodec);
}
