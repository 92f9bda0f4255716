#ifndef TESK_VUMO_TESTS_CORRUPT_CORPUS_H
#define TESK_VUMO_TESTS_CORRUPT_CORPUS_H

// Broken image files, made on the spot: truncated PNG, JPEG and BMP files,
// empty files, random bytes, headers that declare enormous sizes, a
// directory, an unreadable file and a path that is not valid UTF-8.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "permission_checks.h"
#include "reliability_support.h"
#include "test_support.h"

namespace tesk_vumo::testing {

struct CorpusFile
{
    std::filesystem::path path;
    std::string kind; ///< what is wrong with it, for failure messages
};

inline void write_bytes(const std::filesystem::path& path, const std::vector<uchar>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline std::vector<uchar> encoded(const std::string& extension, const cv::Mat& rgb)
{
    cv::Mat bgr;
    cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);
    std::vector<uchar> bytes;
    cv::imencode(extension, bgr, bytes);
    return bytes;
}

inline uint32_t crc32_of(const uchar* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void put_be32(std::vector<uchar>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uchar>(value >> (24 - 8 * i));
}

inline void put_le32(std::vector<uchar>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uchar>(value >> (8 * i));
}

/// A valid PNG whose header claims @p width x @p height (with a correct
/// checksum, so the decoder believes it), followed by the small image's data.
inline std::vector<uchar> png_claiming(uint32_t width, uint32_t height)
{
    std::vector<uchar> bytes = encoded(".png", gradient(8, 8));
    put_be32(bytes, 16, width); // IHDR data starts after signature, length and type
    put_be32(bytes, 20, height);
    put_be32(bytes, 29, crc32_of(bytes.data() + 12, 17));
    return bytes;
}

/// A valid BMP whose header claims @p width x @p height.
inline std::vector<uchar> bmp_claiming(int32_t width, int32_t height)
{
    std::vector<uchar> bytes = encoded(".bmp", gradient(8, 8));
    put_le32(bytes, 18, static_cast<uint32_t>(width));
    put_le32(bytes, 22, static_cast<uint32_t>(height));
    return bytes;
}

/// A valid JPEG whose frame header claims @p width x @p height.
inline std::vector<uchar> jpeg_claiming(uint16_t width, uint16_t height)
{
    std::vector<uchar> bytes = encoded(".jpg", gradient(16, 16));
    for (size_t i = 2; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = static_cast<uchar>(height >> 8);
            bytes[i + 6] = static_cast<uchar>(height);
            bytes[i + 7] = static_cast<uchar>(width >> 8);
            bytes[i + 8] = static_cast<uchar>(width);
            break;
        }
    return bytes;
}

/// Cut points of a file of @p size bytes: every fourth byte of its first 48
/// (the headers), then evenly spread ones, and the last few bytes.
inline std::vector<size_t> cut_points(size_t size)
{
    std::vector<size_t> cuts;
    for (size_t n = 1; n < std::min<size_t>(size, 48); n += 4)
        cuts.push_back(n);
    for (int i = 1; i < 12; ++i)
        cuts.push_back(size * i / 12);
    for (size_t back = 1; back <= 3 && back < size; ++back)
        cuts.push_back(size - back);
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

/// Whether the process can read a file it has no read permission for (it
/// runs as root, or with the capability to override permissions).
inline bool permissions_ignored(const std::filesystem::path& unreadable)
{
    const int fd = ::open(unreadable.c_str(), O_RDONLY);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

/// Writes the corpus into @p dir. @p unreadable_skipped is set when the
/// unreadable file had to be left out (permissions are not enforced).
inline std::vector<CorpusFile> make_corrupt_corpus(const std::filesystem::path& dir, Rng& rng,
                                                   bool& unreadable_skipped)
{
    std::vector<CorpusFile> corpus;
    auto add = [&](const std::string& name, const std::vector<uchar>& bytes, const std::string& kind) {
        write_bytes(dir / name, bytes);
        corpus.push_back({dir / name, kind});
    };

    const cv::Mat picture = gradient(37, 23);
    for (const std::string ext : {".png", ".jpg", ".bmp"}) {
        const std::vector<uchar> whole = encoded(ext, picture);
        for (size_t cut : cut_points(whole.size()))
            add("cut" + std::to_string(cut) + ext, std::vector<uchar>(whole.begin(), whole.begin() + cut),
                ext + " cut to " + std::to_string(cut) + " of " + std::to_string(whole.size()) + " bytes");
        add("empty" + ext, {}, "zero bytes named " + ext);
        for (size_t length : {1, 7, 100, 5000}) {
            std::vector<uchar> noise(length);
            for (uchar& b : noise)
                b = static_cast<uchar>(rng.next());
            add("noise" + std::to_string(length) + ext, noise,
                std::to_string(length) + " random bytes named " + ext);
        }
        // The right magic followed by noise.
        std::vector<uchar> magic(whole.begin(), whole.begin() + 16);
        for (int i = 0; i < 300; ++i)
            magic.push_back(static_cast<uchar>(rng.next()));
        add("magic" + ext, magic, ext + " signature followed by noise");
    }
    add("huge.png", png_claiming(0x7FFFFFFF, 0x7FFFFFFF), "PNG header claiming 2^31-1 x 2^31-1");
    // Within the codec's limits: it believes the header and allocates.
    add("wide.png", png_claiming(12000, 12000), "PNG header claiming 12000 x 12000");
    add("zero.png", png_claiming(0, 0), "PNG header claiming 0 x 0");
    add("huge.bmp", bmp_claiming(100000, 100000), "BMP header claiming 100000 x 100000");
    add("wide.bmp", bmp_claiming(12000, -12000), "BMP header claiming 12000 x 12000, top down");
    add("negative.bmp", bmp_claiming(-8, 8), "BMP header claiming a negative width");
    add("huge.jpg", jpeg_claiming(65535, 65535), "JPEG frame claiming 65535 x 65535");
    add("zero.jpg", jpeg_claiming(0, 0), "JPEG frame claiming 0 x 0");

    std::filesystem::create_directory(dir / "folder.png");
    corpus.push_back({dir / "folder.png", "a directory named .png"});
    corpus.push_back({dir / "missing.png", "a file that does not exist"});

    const std::filesystem::path locked = dir / "locked.png";
    write_bytes(locked, encoded(".png", picture));
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    unreadable_skipped = permissions_ignored(locked);
    if (!unreadable_skipped)
        corpus.push_back({locked, "a PNG without read permission"});

    const std::string invalid_utf8 = std::string("bad\xff\xfe") + "\xc3(name";
    add(invalid_utf8 + ".png", std::vector<uchar>(40, 0x42), "junk under a name that is not valid UTF-8");
    return corpus;
}

/// What the codec itself makes of @p path, in R, G, B order: the image a
/// viewer must show, or an empty Mat when the file cannot be decoded.
inline cv::Mat codec_reading(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    const std::vector<uchar> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    cv::Mat image;
    try {
        image = cv::imdecode(bytes, cv::IMREAD_COLOR);
    } catch (const cv::Exception&) {
        return {};
    }
    if (!image.empty())
        cv::cvtColor(image, image, cv::COLOR_BGR2RGB);
    return image;
}

} // namespace tesk_vumo::testing

#endif
