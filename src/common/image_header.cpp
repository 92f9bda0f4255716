#include "image_header.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace tesk_vumo {

namespace {

using Bytes = std::vector<unsigned char>;

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
    unsigned char count_bytes[8];
    if (!read(ifd, count_bytes, count_size))
        return std::nullopt;
    const std::uint64_t entries = number(count_bytes, count_size);
    if (entries == 0 || entries > 4096)
        return std::nullopt;
    Bytes table(entries * entry_size);
    if (!read(ifd + count_size, table.data(), table.size()))
        return std::nullopt;
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const unsigned char* entry = table.data() + i * entry_size;
        const auto tag = number(entry, 2);
        const auto type = number(entry + 2, 2);
        // SHORT, LONG or LONG8, stored in the entry itself.
        const int size = type == 3 ? 2 : type == 4 ? 4 : type == 16 ? 8 : 0;
        if (size == 0 || (tag != 256 && tag != 257))
            continue;
        const std::uint64_t value = number(entry + value_at, size);
        (tag == 256 ? width : height) = value;
    }
    return sized(width, height);
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

/// The whitespace-separated words of a text header, without '#' comments.
std::vector<std::string> header_words(const Bytes& head, std::size_t from, std::size_t wanted)
{
    std::vector<std::string> words;
    std::string word;
    for (std::size_t i = from; i < head.size() && words.size() < wanted; ++i) {
        const char c = static_cast<char>(head[i]);
        if (c == '#') {
            while (i < head.size() && head[i] != '\n' && head[i] != '\r')
                ++i;
        }
        if (c == '#' || std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

std::optional<std::uint64_t> whole_number(const std::string& word)
{
    if (word.empty() || word.size() > 18
        || !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoull(word);
}

std::optional<HeaderSize> words_size(const std::vector<std::string>& words, std::size_t at)
{
    if (words.size() < at + 2)
        return std::nullopt;
    const auto width = whole_number(words[at]);
    const auto height = whole_number(words[at + 1]);
    if (!width || !height)
        return std::nullopt;
    return sized(*width, *height);
}

std::optional<HeaderSize> pam_size(const Bytes& head)
{
    const auto words = header_words(head, 2, 64);
    std::optional<std::uint64_t> width;
    std::optional<std::uint64_t> height;
    for (std::size_t i = 0; i + 1 < words.size() && words[i] != "ENDHDR"; ++i) {
        if (words[i] == "WIDTH")
            width = whole_number(words[i + 1]);
        else if (words[i] == "HEIGHT")
            height = whole_number(words[i + 1]);
    }
    if (!width || !height)
        return std::nullopt;
    return sized(*width, *height);
}

std::optional<HeaderSize> radiance_size(const Bytes& head)
{
    // Lines of settings, an empty line, then e.g. "-Y 480 +X 640".
    std::size_t i = 0;
    while (i + 1 < head.size() && !(head[i] == '\n' && head[i + 1] == '\n'))
        ++i;
    const auto words = header_words(head, i + 2, 4);
    if (words.size() < 4)
        return std::nullopt;
    const bool y_first = words[0].size() == 2 && words[0][1] == 'Y';
    const auto first = whole_number(words[1]);
    const auto second = whole_number(words[3]);
    if (!first || !second)
        return std::nullopt;
    return y_first ? sized(*second, *first) : sized(*first, *second);
}

std::optional<HeaderSize> jp2_size(const ByteReader& read)
{
    // Boxes: 4-byte length (1: a 64-bit length follows; 0: to the end), 4-byte type.
    std::uint64_t offset = 12;
    std::uint64_t end = UINT64_MAX;
    for (int box = 0; box < 256 && offset < end; ++box) {
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
        if (std::memcmp(header + 4, "jp2h", 4) == 0) {
            // The header box's first child is the image header box.
            offset += header_length;
            end = length == 0 ? UINT64_MAX : offset - header_length + length;
            continue;
        }
        if (std::memcmp(header + 4, "ihdr", 4) == 0) {
            unsigned char ihdr[8];
            if (!read(offset + header_length, ihdr, sizeof ihdr))
                return std::nullopt;
            return sized(big_endian(ihdr + 4, 4), big_endian(ihdr, 4));
        }
        if (length == 0 || length < header_length)
            return std::nullopt;
        offset += length;
    }
    return std::nullopt;
}

std::optional<HeaderSize> j2k_size(const ByteReader& read)
{
    unsigned char siz[24];
    if (!read(0, siz, sizeof siz))
        return std::nullopt;
    const std::uint64_t x = big_endian(siz + 8, 4);
    const std::uint64_t y = big_endian(siz + 12, 4);
    const std::uint64_t x0 = big_endian(siz + 16, 4);
    const std::uint64_t y0 = big_endian(siz + 20, 4);
    if (x0 >= x || y0 >= y)
        return std::nullopt;
    return sized(x - x0, y - y0);
}

std::optional<HeaderSize> exr_size(const ByteReader& read)
{
    // Attributes: name NUL, type NUL, 4-byte size, value; an empty name ends them.
    std::uint64_t offset = 8;
    for (int attribute = 0; attribute < 1024; ++attribute) {
        const Bytes bytes = read_some(read, offset, 80);
        const auto name_end = std::find(bytes.begin(), bytes.end(), 0);
        if (name_end == bytes.end() || name_end == bytes.begin())
            return std::nullopt;
        const auto type_end = std::find(name_end + 1, bytes.end(), 0);
        if (type_end == bytes.end() || bytes.end() - type_end < 5)
            return std::nullopt;
        const std::string name(bytes.begin(), name_end);
        const std::uint64_t size = little_endian(&*(type_end + 1), 4);
        const std::uint64_t value_at = offset + static_cast<std::uint64_t>(type_end - bytes.begin()) + 5;
        if (name == "dataWindow") {
            unsigned char box[16];
            if (size != 16 || !read(value_at, box, sizeof box))
                return std::nullopt;
            const auto coordinate = [&box](int i) {
                return static_cast<std::int64_t>(static_cast<std::int32_t>(little_endian(box + 4 * i, 4)));
            };
            const std::int64_t width = coordinate(2) - coordinate(0) + 1;
            const std::int64_t height = coordinate(3) - coordinate(1) + 1;
            if (width <= 0 || height <= 0)
                return std::nullopt;
            return sized(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
        }
        offset = value_at + size;
    }
    return std::nullopt;
}

} // namespace

std::optional<HeaderSize> image_header_size(const ByteReader& read)
{
    const Bytes head = read_some(read, 0, 4096);
    if (head.size() < 8)
        return std::nullopt;
    const unsigned char* b = head.data();
    if (starts_with(head, "\x89PNG\r\n\x1a\n", 8))
        return png_size(read);
    if (b[0] == 0xFF && b[1] == 0xD8)
        return jpeg_size(read);
    if (starts_with(head, "BM", 2))
        return bmp_size(read);
    if (starts_with(head, "II*\0", 4) || starts_with(head, "MM\0*", 4) || starts_with(head, "II+\0", 4)
        || starts_with(head, "MM\0+", 4))
        return tiff_size(read, head);
    if (starts_with(head, "RIFF", 4) && head.size() >= 12 && std::memcmp(b + 8, "WEBP", 4) == 0)
        return webp_size(read);
    if (b[0] == 'P' && b[1] >= '1' && b[1] <= '6' && std::isspace(b[2]))
        return words_size(header_words(head, 2, 2), 0);
    if (starts_with(head, "P7", 2) && std::isspace(b[2]))
        return pam_size(head);
    if ((starts_with(head, "PF", 2) || starts_with(head, "Pf", 2)) && std::isspace(b[2]))
        return words_size(header_words(head, 2, 2), 0);
    if (big_endian(b, 4) == 0x59A66A95) {
        unsigned char sizes[8];
        if (!read(4, sizes, sizeof sizes))
            return std::nullopt;
        return sized(big_endian(sizes, 4), big_endian(sizes + 4, 4));
    }
    if (starts_with(head, "#?RADIANCE", 10) || starts_with(head, "#?RGBE", 6))
        return radiance_size(head);
    if (starts_with(head, "\0\0\0\x0CjP  \r\n\x87\n", 12))
        return jp2_size(read);
    if (starts_with(head, "\xFF\x4F\xFF\x51", 4))
        return j2k_size(read);
    if (starts_with(head, "\x76\x2F\x31\x01", 4))
        return exr_size(read);
    return std::nullopt;
}

} // namespace tesk_vumo
