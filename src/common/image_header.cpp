#include "image_header.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace tesk_vumo {

namespace {

using Bytes = std::vector<unsigned char>;

struct HeaderSize
{
    std::uint64_t width;
    std::uint64_t height;
};

std::uint64_t big_endian(const unsigned char* p, int n)
{
    std::uint64_t value = 0;
    for (int i = 0; i < n; ++i)
        value = (value << 8) | p[i];
    return value;
}

std::uint64_t little_endian(const unsigned char* p, int n)
{
    std::uint64_t value = 0;
    for (int i = n - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

std::optional<HeaderSize> sized(std::uint64_t width, std::uint64_t height)
{
    if (width == 0 || height == 0)
        return std::nullopt;
    return HeaderSize{width, height};
}

/// Up to @p count bytes from @p offset (fewer where the file ends).
Bytes read_some(const ByteReader& read, std::uint64_t offset, std::size_t count)
{
    Bytes bytes(count);
    if (read(offset, bytes.data(), count))
        return bytes;
    // The file ends sooner: find where, in a dozen reads of a few bytes.
    std::size_t fits = 0;
    std::size_t too_many = count;
    while (too_many - fits > 1) {
        const std::size_t middle = fits + (too_many - fits) / 2;
        if (read(offset + fits, bytes.data() + fits, middle - fits))
            fits = middle;
        else
            too_many = middle;
    }
    bytes.resize(fits);
    return bytes;
}

bool starts_with(const Bytes& bytes, const char* text, std::size_t length)
{
    return bytes.size() >= length && std::memcmp(bytes.data(), text, length) == 0;
}

std::optional<HeaderSize> png_size(const ByteReader& read)
{
    unsigned char ihdr[16];
    if (!read(8, ihdr, sizeof ihdr) || big_endian(ihdr, 4) != 13 || std::memcmp(ihdr + 4, "IHDR", 4) != 0)
        return std::nullopt;
    return sized(big_endian(ihdr + 8, 4), big_endian(ihdr + 12, 4));
}

std::optional<HeaderSize> jpeg_size(const ByteReader& read)
{
    std::uint64_t offset = 2;
    // Real files have a few dozen segments before the frame header; garbage
    // after the signature ends the walk at its first byte that is no marker.
    for (int segment = 0; segment < 4096; ++segment) {
        unsigned char marker[2];
        if (!read(offset, marker, 2) || marker[0] != 0xFF)
            return std::nullopt;
        if (marker[1] == 0xFF) {
            ++offset; // fill byte
            continue;
        }
        const unsigned char m = marker[1];
        offset += 2;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD8))
            continue;
        if (m == 0xD9 || m == 0xDA)
            return std::nullopt; // image data before any frame header
        unsigned char length[2];
        if (!read(offset, length, 2))
            return std::nullopt;
        const std::uint64_t segment_length = big_endian(length, 2);
        if (segment_length < 2)
            return std::nullopt;
        const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (frame) {
            unsigned char sof[5];
            if (!read(offset + 2, sof, sizeof sof))
                return std::nullopt;
            return sized(big_endian(sof + 3, 2), big_endian(sof + 1, 2));
        }
        offset += segment_length;
    }
    return std::nullopt;
}

std::optional<HeaderSize> bmp_size(const ByteReader& read)
{
    unsigned char info[12];
    if (!read(14, info, sizeof info))
        return std::nullopt;
    const std::uint64_t header_size = little_endian(info, 4);
    if (header_size == 12)
        return sized(little_endian(info + 4, 2), little_endian(info + 6, 2));
    if (header_size < 16)
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(little_endian(info + 4, 4));
    const auto height = static_cast<std::int32_t>(little_endian(info + 8, 4));
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return std::nullopt;
    return sized(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height < 0 ? -height : height));
}

std::optional<HeaderSize> tiff_size(const ByteReader& read, const Bytes& head)
{
    const bool little = head[0] == 'I';
    const auto number = [little](const unsigned char* p, int n) {
        return little ? little_endian(p, n) : big_endian(p, n);
    };
    const bool big_tiff = number(head.data() + 2, 2) == 43;
    std::uint64_t ifd = 0;
    if (big_tiff) {
        if (head.size() < 16 || number(head.data() + 4, 2) != 8)
            return std::nullopt;
        ifd = number(head.data() + 8, 8);
    } else {
        ifd = number(head.data() + 4, 4);
    }
    const int count_size = big_tiff ? 8 : 2;
    const int entry_size = big_tiff ? 20 : 12;
    const int value_at = big_tiff ? 12 : 8;
    const int value_room = big_tiff ? 8 : 4;
    unsigned char count_bytes[8];
    if (!read(ifd, count_bytes, count_size))
        return std::nullopt;
    const std::uint64_t entries = number(count_bytes, count_size);
    if (entries == 0 || entries > 4096)
        return std::nullopt;
    Bytes table(entries * entry_size);
    if (!read(ifd + count_size, table.data(), table.size()))
        return std::nullopt;
    // libtiff takes the first entry of a tag and ignores its repeats; a
    // value it cannot take as one positive 32-bit number fails the file.
    std::optional<std::uint64_t> sizes[2];
    for (std::uint64_t i = 0; i < entries; ++i) {
        const unsigned char* entry = table.data() + i * entry_size;
        const auto tag = number(entry, 2);
        if ((tag != 256 && tag != 257) || sizes[tag - 256])
            continue;
        const auto type = number(entry + 2, 2);
        const auto count = number(entry + 4, big_tiff ? 8 : 4);
        // BYTE, SHORT, LONG, SBYTE, SSHORT, SLONG, IFD, LONG8, SLONG8, IFD8.
        int size = 0;
        bool is_signed = false;
        switch (type) {
        case 1: size = 1; break;
        case 3: size = 2; break;
        case 4: case 13: size = 4; break;
        case 6: size = 1; is_signed = true; break;
        case 8: size = 2; is_signed = true; break;
        case 9: size = 4; is_signed = true; break;
        case 16: case 18: size = 8; break;
        case 17: size = 8; is_signed = true; break;
        default: return std::nullopt;
        }
        if (count != 1)
            return std::nullopt;
        unsigned char bytes[8];
        if (size <= value_room) {
            std::memcpy(bytes, entry + value_at, size);
        } else if (!read(number(entry + value_at, 4), bytes, size)) {
            return std::nullopt;
        }
        const std::uint64_t value = number(bytes, size);
        if ((is_signed && (value >> (size * 8 - 1)) != 0) || value > UINT32_MAX)
            return std::nullopt;
        sizes[tag - 256] = value;
    }
    if (!sizes[0] || !sizes[1])
        return std::nullopt;
    return sized(*sizes[0], *sizes[1]);
}

std::optional<HeaderSize> webp_size(const ByteReader& read)
{
    unsigned char chunk[18];
    if (!read(12, chunk, sizeof chunk))
        return std::nullopt;
    const unsigned char* data = chunk + 8;
    if (std::memcmp(chunk, "VP8 ", 4) == 0) {
        if (data[3] != 0x9D || data[4] != 0x01 || data[5] != 0x2A)
            return std::nullopt;
        return sized(little_endian(data + 6, 2) & 0x3FFF, little_endian(data + 8, 2) & 0x3FFF);
    }
    if (std::memcmp(chunk, "VP8L", 4) == 0) {
        if (data[0] != 0x2F)
            return std::nullopt;
        const std::uint64_t bits = little_endian(data + 1, 4);
        return sized((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    }
    if (std::memcmp(chunk, "VP8X", 4) == 0)
        return sized(little_endian(data + 4, 3) + 1, little_endian(data + 7, 3) + 1);
    return std::nullopt;
}

bool is_space(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(int c)
{
    return c >= '0' && c <= '9';
}

/// The codec's reading of a PBM/PGM/PPM number from @p at on: blanks and
/// '#' comments before it, its digits, and the one character after it,
/// which it takes away even when that is a '#'. nullopt for any other
/// character before the digits, or when the bytes end.
std::optional<std::uint64_t> pxm_number(const Bytes& head, std::size_t& at)
{
    while (at < head.size() && !is_digit(head[at])) {
        if (head[at] == '#') {
            do
                ++at;
            while (at < head.size() && head[at] != '\n' && head[at] != '\r');
            ++at;
        } else if (is_space(head[at])) {
            ++at;
        } else {
            return std::nullopt;
        }
    }
    std::uint64_t value = 0;
    for (; at < head.size() && is_digit(head[at]); ++at) {
        value = value * 10 + static_cast<std::uint64_t>(head[at] - '0');
        if (value > INT32_MAX)
            return std::nullopt;
    }
    if (at >= head.size())
        return std::nullopt;
    ++at;
    return value;
}

std::optional<HeaderSize> pxm_size(const Bytes& head)
{
    std::size_t at = 2;
    const auto width = pxm_number(head, at);
    const auto height = width ? pxm_number(head, at) : std::nullopt;
    if (!height)
        return std::nullopt;
    return sized(*width, *height);
}

/// C's atoi over @p text: an optional sign, then digits. nullopt for a
/// value that is not a positive int.
std::optional<std::uint64_t> c_number(const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size() && is_space(static_cast<unsigned char>(text[at])))
        ++at;
    if (at < text.size() && text[at] == '+')
        ++at;
    std::uint64_t value = 0;
    for (; at < text.size() && is_digit(static_cast<unsigned char>(text[at])); ++at) {
        value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
        if (value > INT32_MAX)
            return std::nullopt;
    }
    return value;
}

std::optional<HeaderSize> pfm_size(const Bytes& head)
{
    // The codec wants a line break after "PF", then takes each number up to
    // the next blank, with no comments.
    if (head[2] != '\n')
        return std::nullopt;
    std::size_t at = 3;
    std::optional<std::uint64_t> numbers[2];
    for (auto& number : numbers) {
        std::string word;
        while (at < head.size() && !is_space(head[at]))
            word += static_cast<char>(head[at++]);
        if (at++ >= head.size())
            return std::nullopt;
        number = c_number(word);
        if (!number)
            return std::nullopt;
    }
    return sized(*numbers[0], *numbers[1]);
}

std::optional<HeaderSize> pam_size(const Bytes& head)
{
    // Lines of a name and a value, '#' lines between them, up to ENDHDR; a
    // repeated WIDTH or HEIGHT replaces the one before.
    std::optional<std::uint64_t> width;
    std::optional<std::uint64_t> height;
    std::size_t at = 3;
    while (at < head.size()) {
        while (at < head.size() && is_space(head[at]))
            ++at;
        if (at < head.size() && head[at] == '#') {
            while (at < head.size() && head[at] != '\n' && head[at] != '\r')
                ++at;
            continue;
        }
        std::string name;
        while (at < head.size() && !is_space(head[at]))
            name += static_cast<char>(head[at++]);
        if (name == "ENDHDR")
            break;
        while (at < head.size() && (head[at] == ' ' || head[at] == '\t'))
            ++at;
        std::string value;
        while (at < head.size() && head[at] != '\n' && head[at] != '\r')
            value += static_cast<char>(head[at++]);
        if (name == "WIDTH")
            width = c_number(value);
        else if (name == "HEIGHT")
            height = c_number(value);
    }
    if (at >= head.size() || !width || !height)
        return std::nullopt;
    return sized(*width, *height);
}

std::optional<HeaderSize> radiance_size(const Bytes& head)
{
    // Lines of settings, an empty line, then "-Y <rows> +X <columns>", the
    // only orientation the codec reads.
    std::size_t i = 0;
    while (i + 1 < head.size() && !(head[i] == '\n' && head[i + 1] == '\n'))
        ++i;
    std::size_t at = i + 2;
    const auto literal = [&head, &at](const char* text) {
        while (at < head.size() && is_space(head[at]))
            ++at;
        for (; *text; ++text, ++at)
            if (at >= head.size() || head[at] != *text)
                return false;
        return true;
    };
    const auto number = [&head, &at]() -> std::optional<std::uint64_t> {
        while (at < head.size() && is_space(head[at]))
            ++at;
        std::string digits;
        while (at < head.size() && is_digit(head[at]))
            digits += static_cast<char>(head[at++]);
        if (digits.empty() || at >= head.size())
            return std::nullopt;
        return c_number(digits);
    };
    if (at >= head.size() || head[at] != '-' || !literal("-Y"))
        return std::nullopt;
    const auto rows = number();
    if (!rows || !literal("+X"))
        return std::nullopt;
    const auto columns = number();
    if (!columns)
        return std::nullopt;
    return sized(*columns, *rows);
}

std::optional<HeaderSize> j2k_size(const ByteReader& read, std::uint64_t at)
{
    unsigned char siz[24];
    if (!read(at, siz, sizeof siz) || std::memcmp(siz, "\xFF\x4F\xFF\x51", 4) != 0)
        return std::nullopt;
    const std::uint64_t x = big_endian(siz + 8, 4);
    const std::uint64_t y = big_endian(siz + 12, 4);
    const std::uint64_t x0 = big_endian(siz + 16, 4);
    const std::uint64_t y0 = big_endian(siz + 20, 4);
    if (x0 >= x || y0 >= y)
        return std::nullopt;
    return sized(x - x0, y - y0);
}

std::optional<HeaderSize> jp2_size(const ByteReader& read)
{
    // The codec takes the size from the codestream's own header (in the
    // contiguous codestream box), not from the file's image header box.
    // Boxes: 4-byte length (1: a 64-bit length follows; 0: to the end), 4-byte type.
    std::uint64_t offset = 12;
    for (int box = 0; box < 256; ++box) {
        unsigned char header[16];
        if (!read(offset, header, 8))
            return std::nullopt;
        std::uint64_t length = big_endian(header, 4);
        std::uint64_t header_length = 8;
        if (length == 1) {
            if (!read(offset + 8, header + 8, 8))
                return std::nullopt;
            length = big_endian(header + 8, 8);
            header_length = 16;
        }
        if (std::memcmp(header + 4, "jp2c", 4) == 0)
            return j2k_size(read, offset + header_length);
        if (length < header_length || offset + length < offset)
            return std::nullopt;
        offset += length;
    }
    return std::nullopt;
}

std::optional<HeaderSize> exr_size(const ByteReader& read)
{
    // Attributes: name NUL, type NUL, 4-byte size, value; an empty name ends
    // them. A repeated attribute replaces the one before, as in the codec.
    std::uint64_t offset = 8;
    std::optional<HeaderSize> size;
    for (int attribute = 0; attribute < 1024; ++attribute) {
        const Bytes bytes = read_some(read, offset, 300);
        if (!bytes.empty() && bytes[0] == 0)
            return size;
        const auto name_end = std::find(bytes.begin(), bytes.end(), 0);
        if (name_end == bytes.end())
            return std::nullopt;
        const auto type_end = std::find(name_end + 1, bytes.end(), 0);
        if (type_end == bytes.end() || bytes.end() - type_end < 5)
            return std::nullopt;
        const std::string name(bytes.begin(), name_end);
        const std::string type(name_end + 1, type_end);
        const std::uint64_t value_size = little_endian(&*(type_end + 1), 4);
        const std::uint64_t value_at = offset + static_cast<std::uint64_t>(type_end - bytes.begin()) + 5;
        if (name == "dataWindow") {
            unsigned char box[16];
            if (type != "box2i" || value_size != 16 || !read(value_at, box, sizeof box))
                return std::nullopt;
            const auto coordinate = [&box](int i) {
                return static_cast<std::int64_t>(static_cast<std::int32_t>(little_endian(box + 4 * i, 4)));
            };
            const std::int64_t width = coordinate(2) - coordinate(0) + 1;
            const std::int64_t height = coordinate(3) - coordinate(1) + 1;
            if (width <= 0 || height <= 0)
                return std::nullopt;
            size = sized(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
        }
        offset = value_at + value_size;
    }
    return std::nullopt;
}

std::optional<ImageHeader> with_format(ImageFormat format, const std::optional<HeaderSize>& size)
{
    if (!size)
        return std::nullopt;
    return ImageHeader{format, size->width, size->height};
}

} // namespace

std::optional<ImageHeader> read_image_header(const ByteReader& read)
{
    const Bytes head = read_some(read, 0, 4096);
    if (head.size() < 8)
        return std::nullopt;
    const unsigned char* b = head.data();
    // The signatures as the codec tests them, in the order it tries its
    // decoders: the first that matches decodes the file.
    if (starts_with(head, "BM", 2))
        return with_format(ImageFormat::Bmp, bmp_size(read));
    if (starts_with(head, "#?RADIANCE", 10) || starts_with(head, "#?RGBE", 6))
        return with_format(ImageFormat::Radiance, radiance_size(head));
    if (starts_with(head, "\xFF\xD8\xFF", 3))
        return with_format(ImageFormat::Jpeg, jpeg_size(read));
    if (starts_with(head, "RIFF", 4) && head.size() >= 12 && std::memcmp(b + 8, "WEBP", 4) == 0)
        return with_format(ImageFormat::WebP, webp_size(read));
    if (big_endian(b, 4) == 0x59A66A95) {
        unsigned char sizes[8];
        if (!read(4, sizes, sizeof sizes))
            return std::nullopt;
        return with_format(ImageFormat::SunRaster, sized(big_endian(sizes, 4), big_endian(sizes + 4, 4)));
    }
    if (b[0] == 'P' && b[1] >= '1' && b[1] <= '6' && is_space(b[2]))
        return with_format(ImageFormat::Pxm, pxm_size(head));
    if (starts_with(head, "P7", 2) && is_space(b[2]))
        return with_format(ImageFormat::Pam, pam_size(head));
    if ((starts_with(head, "PF", 2) || starts_with(head, "Pf", 2)) && is_space(b[2]))
        return with_format(ImageFormat::Pfm, pfm_size(head));
    if (starts_with(head, "II*\0", 4) || starts_with(head, "MM\0*", 4) || starts_with(head, "II+\0", 4)
        || starts_with(head, "MM\0+", 4))
        return with_format(ImageFormat::Tiff, tiff_size(read, head));
    if (starts_with(head, "\x89PNG\r\n\x1a\n", 8))
        return with_format(ImageFormat::Png, png_size(read));
    // Here the codec tries its DICOM decoder, which this library does not
    // offer: a file with its preamble is no image of the formats below.
    if (head.size() >= 132 && std::memcmp(b + 128, "DICM", 4) == 0)
        return std::nullopt;
    if (starts_with(head, "\0\0\0\x0CjP  \r\n\x87\n", 12))
        return with_format(ImageFormat::Jpeg2000, jp2_size(read));
    if (starts_with(head, "\xFF\x4F\xFF\x51", 4))
        return with_format(ImageFormat::Jpeg2000, j2k_size(read, 0));
    if (starts_with(head, "\x76\x2F\x31\x01", 4))
        return with_format(ImageFormat::Exr, exr_size(read));
    return std::nullopt;
}

bool decodes_from_memory(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Pfm:
    case ImageFormat::SunRaster:
    case ImageFormat::Radiance:
    case ImageFormat::Exr:
        return false;
    default:
        return true;
    }
}

std::size_t jpeg_scan_count(const unsigned char* bytes, std::size_t size)
{
    // Markers outside the segments; the entropy-coded data after each scan
    // header holds no 0xFF but as 0xFF 0x00 or a restart marker.
    std::size_t scans = 0;
    std::size_t at = 2;
    while (at + 1 < size && scans <= max_jpeg_scans) {
        if (bytes[at] != 0xFF) {
            const void* next = std::memchr(bytes + at, 0xFF, size - at);
            if (!next)
                break;
            at = static_cast<std::size_t>(static_cast<const unsigned char*>(next) - bytes);
            continue;
        }
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xD9)
            break;
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (at + 3 >= size)
            break;
        const std::size_t length = static_cast<std::size_t>(big_endian(bytes + at + 2, 2));
        if (length < 2)
            break;
        if (marker == 0xDA)
            ++scans;
        at += 2 + length;
    }
    return scans;
}

} // namespace tesk_vumo
