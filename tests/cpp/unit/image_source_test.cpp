#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/image_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>


#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

using namespace tesk_vumo;
namespace fs = std::filesystem;

namespace {

const char* const standard_type_prefix = "Unsupported image type. Expect [str, numpy.ndarray], got ";

fs::path scratch_dir()
{
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "tesk_vumo_unit_XXXXXX").string();
        const fs::path made = mkdtemp(pattern.data());
        static const fs::path keep = made;
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(keep, ec);
        });
        return made;
    }();
    return dir;
}

void write_bytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// PNG bytes of @p bgr (OpenCV's own channel order).
std::string png_of(const cv::Mat& bgr)
{
    std::vector<uchar> bytes;
    cv::imencode(".png", bgr, bytes);
    return std::string(bytes.begin(), bytes.end());
}

cv::Vec3b at(const cv::Mat& rgb, int row, int col) { return rgb.at<cv::Vec3b>(row, col); }

std::string le(std::uint64_t value, int bytes)
{
    std::string text;
    for (int i = 0; i < bytes; ++i)
        text += static_cast<char>(value >> (8 * i));
    return text;
}

/// A little-endian TIFF of 8-bit gray strips: @p entries (tag, type, count,
/// 4 value bytes) in its one directory, right after the header and the
/// @p data placed at offset 8, and nothing after the directory.
std::string tiff(const std::string& data, const std::vector<std::string>& entries)
{
    std::string bytes = std::string("II*\0", 4) + le(8 + data.size(), 4) + data + le(entries.size(), 2);
    for (const std::string& entry : entries)
        bytes += entry;
    return bytes;
}

std::string tiff_entry(int tag, int type, std::uint32_t value)
{
    return le(tag, 2) + le(type, 2) + le(1, 4) + le(value, 4);
}

/// Growth of this process's peak memory (kB) while @p decode runs.
template <typename Decode>
long peak_growth_kb(Decode decode)
{
    const auto status = [](const std::string& key) {
        std::ifstream in("/proc/self/status");
        for (std::string line; std::getline(in, line);)
            if (line.rfind(key, 0) == 0)
                return std::stol(line.substr(key.size()));
        return 0L;
    };
    if (!(std::ofstream("/proc/self/clear_refs") << "5")) // resets the peak to the present size
        return 0;
    const long before = status("VmRSS:");
    decode();
    return status("VmHWM:") - before;
}

} // namespace

TEST(AcceptSourceArray, GrayBecomesThreeEqualChannelsInANewArray)
{
    cv::Mat gray(6, 8, CV_8UC1);
    for (int r = 0; r < gray.rows; ++r)
        for (int c = 0; c < gray.cols; ++c)
            gray.at<uchar>(r, c) = static_cast<uchar>(r * 30 + c);

    const cv::Mat rgb = accept_source_array(gray, SourceMessages::Standard);
    ASSERT_EQ(rgb.type(), CV_8UC3);
    ASSERT_EQ(rgb.size(), gray.size());
    EXPECT_NE(rgb.data, gray.data);
    for (int r = 0; r < gray.rows; ++r)
        for (int c = 0; c < gray.cols; ++c) {
            const uchar v = gray.at<uchar>(r, c);
            EXPECT_EQ(at(rgb, r, c), cv::Vec3b(v, v, v)) << "at row " << r << ", column " << c;
        }
}

TEST(AcceptSourceArray, ThreeChannelArrayIsSharedNotCopied)
{
    cv::Mat rgb(4, 5, CV_8UC3, cv::Scalar(1, 2, 3));
    const cv::Mat stored = accept_source_array(rgb, SourceMessages::Standard);
    EXPECT_EQ(stored.data, rgb.data);
    rgb.at<cv::Vec3b>(0, 0) = cv::Vec3b(9, 9, 9);
    EXPECT_EQ(at(stored, 0, 0), cv::Vec3b(9, 9, 9)) << "the caller's later writes are seen";
}

TEST(AcceptSourceArray, RejectsWhatNoViewerCanShow)
{
    const int sizes[] = {4, 5, 3};
    const std::pair<const char*, cv::Mat> cases[] = {
        {"8-bit signed samples", cv::Mat(4, 5, CV_8SC3, cv::Scalar::all(0))},
        {"five channels", cv::Mat(4, 5, CV_8UC(5), cv::Scalar::all(0))},
        {"two channels", cv::Mat(4, 5, CV_16UC2, cv::Scalar::all(0))},
        {"empty", cv::Mat()},
        {"three dimensions", cv::Mat(3, sizes, CV_8UC1, cv::Scalar::all(0))},
    };
    for (const auto& [what, value] : cases) {
        try {
            accept_source_array(value, SourceMessages::Standard);
            ADD_FAILURE() << "accepted an array of " << what;
        } catch (const TypeError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(standard_type_prefix, 0), 0u)
                << "for an array of " << what << ": " << error.what();
        }
    }
}

TEST(AcceptSourceArray, ContextViewerWordingOfTheTypeError)
{
    try {
        accept_source_array(cv::Mat(), SourceMessages::ContextViewer);
        FAIL() << "accepted an empty array";
    } catch (const TypeError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("不受支持的参数类型。 Expect [str, numpy.ndarray], got ", 0), 0u)
            << error.what();
    }
}

TEST(ReadSourceFile, UnreadableFilesFailWithThePathInTheMessage)
{
    const fs::path dir = scratch_dir() / "unreadable";
    fs::create_directories(dir);
    const std::string png = png_of(cv::Mat(40, 60, CV_8UC3, cv::Scalar(10, 20, 30)));
    write_bytes(dir / "notes.png", "this is not an image\n");
    write_bytes(dir / "truncated.png", png.substr(0, png.size() / 2));
    write_bytes(dir / "empty.png", "");

    const fs::path cases[] = {
        dir / "missing.png", dir / "notes.png", dir / "truncated.png", dir / "empty.png", dir, fs::path(),
    };
    for (const fs::path& path : cases) {
        try {
            read_source_file(path, path.string(), SourceMessages::Standard);
            ADD_FAILURE() << "read " << path;
        } catch (const AssertionError& error) {
            // The written text first, the cause on a line of its own.
            const std::string what = error.what();
            const auto end = what.find('\n');
            EXPECT_EQ(what.substr(0, end), "Load Image File [" + path.string() + "] Failed.");
            EXPECT_TRUE(end != std::string::npos && end + 1 < what.size()) << what;
        }
    }
}

TEST(ReadSourceFile, ContextViewerMessageNamesThePathThenTheCause)
{
    const fs::path path = scratch_dir() / "missing.png";
    try {
        read_source_file(path, path.string(), SourceMessages::ContextViewer);
        FAIL() << "read " << path;
    } catch (const AssertionError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "加载图片文件失败，请检查路径中是否有不受支持的字符。[" + path.string() + "]\n文件或文件夹不存在");
    }
}

TEST(ReadSourceFile, DecodesInRedGreenBlueOrder)
{
    // Written by another encoder than OpenCV, so that a swap on both sides
    // cannot cancel out.
    const fs::path path = fs::path(TESK_VUMO_TEST_DATA_DIR) / "red_8x6.png";
    const cv::Mat image = read_source_file(path, path.string(), SourceMessages::Standard);
    ASSERT_EQ(image.type(), CV_8UC3);
    ASSERT_EQ(image.size(), cv::Size(8, 6));
    EXPECT_EQ(at(image, 0, 0), cv::Vec3b(255, 0, 0));
    EXPECT_EQ(at(image, 5, 7), cv::Vec3b(255, 0, 0));
}

TEST(ReadSourceFile, PathsWithChineseCharacters)
{
    const fs::path dir = scratch_dir() / fs::u8path("目录");
    fs::create_directories(dir);
    const fs::path path = dir / fs::u8path("图片.png");
    cv::Mat bgr(30, 20, CV_8UC3, cv::Scalar(0, 0, 0));
    bgr(cv::Rect(0, 0, 20, 15)).setTo(cv::Scalar(255, 0, 0)); // blue top half
    write_bytes(path, png_of(bgr));

    const cv::Mat image = read_source_file(path, path.string(), SourceMessages::Standard);
    ASSERT_EQ(image.size(), cv::Size(20, 30));
    EXPECT_EQ(at(image, 0, 0), cv::Vec3b(0, 0, 255));
    EXPECT_EQ(at(image, 29, 19), cv::Vec3b(0, 0, 0));
}

TEST(ReadSourceFile, GrayFilesComeBackWithThreeChannels)
{
    const fs::path path = scratch_dir() / "gray.png";
    write_bytes(path, png_of(cv::Mat(3, 4, CV_8UC1, cv::Scalar(77))));
    const cv::Mat image = read_source_file(path, path.string(), SourceMessages::Standard);
    ASSERT_EQ(image.type(), CV_8UC3);
    EXPECT_EQ(at(image, 2, 3), cv::Vec3b(77, 77, 77));
}

TEST(ReadSourceFile, LargeFilesDecodeAsTheCodecReadsThem)
{
    // Files and images of several megabytes: their memory is allocated
    // otherwise than that of small ones, and must outlive the reading.
    cv::Mat bgr(1500, 2000, CV_8UC3);
    cv::randu(bgr, 0, 256);
    cv::GaussianBlur(bgr, bgr, cv::Size(0, 0), 3);
    std::vector<cv::Mat> kept;
    for (const char* name : {"large.png", "large.jpg", "large.bmp"}) {
        SCOPED_TRACE(name);
        const fs::path path = scratch_dir() / name;
        ASSERT_TRUE(cv::imwrite(path.string(), bgr));
        cv::Mat expected;
        cv::cvtColor(cv::imread(path.string(), cv::IMREAD_COLOR), expected, cv::COLOR_BGR2RGB);
        const cv::Mat image = read_source_file(path, path.string(), SourceMessages::Standard);
        ASSERT_EQ(image.size(), expected.size());
        EXPECT_EQ(cv::norm(image, expected, cv::NORM_INF), 0);
        kept.push_back(image(cv::Rect(1990, 1490, 10, 10)));
        kept.push_back(expected(cv::Rect(1990, 1490, 10, 10)).clone());
    }
    // A part of each reading still holds its pixels after the whole went out of scope.
    for (size_t i = 0; i < kept.size(); i += 2)
        EXPECT_EQ(cv::norm(kept[i], kept[i + 1], cv::NORM_INF), 0);
}

TEST(DecodeImageFile, ThePixelLimitIsCheckedFromTheHeaderOfEveryFormat)
{
    cv::Mat bgr(23, 37, CV_8UC3), grey, floats;
    cv::randu(bgr, 0, 256);
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    bgr.convertTo(floats, CV_32FC3, 1.0 / 255);
    int formats = 0;
    for (const std::string ext : {".png", ".jpg", ".bmp", ".tiff", ".webp", ".ppm", ".pgm", ".pbm", ".pam", ".pfm",
                                  ".ras", ".hdr", ".jp2", ".exr"}) {
        const fs::path path = scratch_dir() / ("limit" + ext);
        const bool is_float = ext == ".hdr" || ext == ".exr" || ext == ".pfm", is_grey = ext == ".pgm" || ext == ".pbm";
        try {
            if (!cv::imwrite(path.string(), is_float ? floats : is_grey ? grey : bgr))
                continue; // no encoder for it in this build
        } catch (const cv::Exception&) {
            continue;
        }
        ++formats;
        std::string cause;
        set_max_image_pixels(37 * 23 - 1);
        EXPECT_TRUE(decode_image_file(path, &cause).empty()) << ext;
        EXPECT_EQ(cause, "图片有 37 × 23 像素，超过了 850 像素的上限") << ext;
        set_max_image_pixels(37 * 23);
        EXPECT_EQ(decode_image_file(path, &cause).size(), cv::Size(37, 23)) << ext << cause;
    }
    set_max_image_pixels(default_max_image_pixels);
    EXPECT_GE(formats, 9);
    EXPECT_THROW(set_max_image_pixels(0), ValueError);
    EXPECT_EQ(max_image_pixels(), default_max_image_pixels);
}

// Each refused from its header (or markers) before any pixel is decoded.
TEST(DecodeImageFile, BombsImpostorsAndCraftedFilesAreRefusedFromTheirHeader)
{
    // A small PNG whose header claims 20000 x 20000 pixels (1.2 GB decoded).
    std::string bomb = png_of(cv::Mat(16, 16, CV_8UC3, cv::Scalar::all(0)));
    for (int at : {16, 20}) {
        bomb[at + 2] = static_cast<char>(20000 >> 8);
        bomb[at + 3] = static_cast<char>(20000 & 0xFF);
    }
    // 2 GB (sparse) that merely start with a PNG signature.
    const fs::path impostor = scratch_dir() / "impostor.png";
    write_bytes(impostor, "\x89PNG\r\n\x1a\n");
    fs::resize_file(impostor, std::uintmax_t{2} << 30);

    cv::Mat floats(23, 37, CV_32FC3, cv::Scalar(0.5, 0.25, 1));
    std::vector<uchar> exr_bytes;
    try {
        cv::imencode(".exr", floats, exr_bytes);
    } catch (const cv::Exception&) {
    }
    std::string exr(exr_bytes.begin(), exr_bytes.end());
    if (const auto window = exr.find("dataWindow"); window != std::string::npos) {
        // A second dataWindow, 32767 pixels square, after the first: the codec takes the last.
        exr.insert(window + 37, std::string("dataWindow\0box2i\0", 17) + le(16, 4) + le(0, 8) + le(32766, 4)
                                    + le(32766, 4));
    }
    // A JPEG 2000 codestream 20 x 20 pixels, with "DICM" at byte 128.
    std::string j2k_dicom("\xFF\x4F\xFF\x51\0\x2F\0\0\0\0\0\x14\0\0\0\x14", 16);
    j2k_dicom.resize(128, '\0');
    j2k_dicom += "DICM" + std::string(64, '\0');

    cv::Mat noise(64, 64, CV_8UC3);
    cv::randu(noise, 0, 256);
    std::vector<uchar> encoded;
    cv::imencode(".jpg", noise, encoded, {cv::IMWRITE_JPEG_PROGRESSIVE, 1});
    std::string jpeg(encoded.begin(), encoded.end());
    write_bytes(scratch_dir() / "progressive.jpg", jpeg);
    EXPECT_EQ(decode_image_file(scratch_dir() / "progressive.jpg").size(), cv::Size(64, 64));
    // The last scan again and again, as in a file that decodes for minutes.
    const auto last_scan = jpeg.rfind("\xFF\xDA");
    const std::string scan = jpeg.substr(last_scan, jpeg.size() - 2 - last_scan);
    for (int i = 0; i < 300; ++i)
        jpeg.insert(jpeg.size() - 2, scan);

    const std::string over = "像素，超过了 268435456 像素的上限";
    const struct
    {
        const char* name;
        std::string bytes, cause;
    } written[] = {
        {"bomb.png", bomb, "图片有 20000 × 20000 " + over},
        {"empty.png", "", "文件是空的"},
        // libtiff takes the first of two ImageWidth entries.
        {"repeated_width.tiff",
         tiff(std::string(64, '\x7f'), {tiff_entry(256, 4, 32767), tiff_entry(256, 3, 4), tiff_entry(257, 4, 32767),
                                        tiff_entry(258, 3, 8), tiff_entry(273, 4, 8), tiff_entry(277, 3, 1),
                                        tiff_entry(279, 4, 64)}),
         "图片有 32767 × 32767 " + over},
        // A '#' right after a number ends it; the codec reads a height next.
        {"comment.pbm", "P4\n32767#32767\n1\n" + std::string(64, '\xff'), "图片有 32767 × 32767 " + over},
        // A 64-bit width in a classic TIFF lies at its offset (8), not in the entry,
        // which is the directory's last bytes.
        {"long8_width.tiff", tiff(le(60000, 8), {tiff_entry(257, 4, 60000), tiff_entry(256, 16, 8)}),
         "图片有 60000 × 60000 " + over},
        // The codec's DICOM decoder would take this before its JPEG 2000 one.
        {"dicom_preamble.j2k", j2k_dicom, "文件不是受支持格式的图片"},
        {"two_data_windows.exr", exr, "图片有 32767 × 32767 " + over},
        {"many_scans.jpg", jpeg, "图片有 256 个以上的扫描段，不是正常的 JPEG 文件"},
    };
    std::vector<std::pair<fs::path, std::string>> cases = {{impostor, "文件不是受支持格式的图片"},
                                                           {scratch_dir() / "missing.png", "文件或文件夹不存在"},
                                                           {scratch_dir(), "这是一个文件夹"}};
    for (const auto& file : written) {
        write_bytes(scratch_dir() / file.name, file.bytes);
        if (file.name != std::string("two_data_windows.exr") || !exr.empty()) // OpenEXR may not be in the build
            cases.push_back({scratch_dir() / file.name, file.cause});
    }
    const long peak = peak_growth_kb([&] {
        for (const auto& [path, expected] : cases) {
            std::string cause;
            EXPECT_TRUE(decode_image_file(path, &cause).empty() && cause == expected) << path << ": " << cause;
        }
    });
    EXPECT_LT(peak, 64 * 1024) << "kB more at the peak: pixels or the file were read";
    fs::remove(impostor);
}

TEST(DecodeImageFile, NoTemporaryFileIsLeft)
{
    // The codec writes its temporary files here.
    const fs::path temporary = scratch_dir() / "opencv_temp";
    fs::create_directories(temporary);
    ::setenv("OPENCV_TEMP_PATH", temporary.c_str(), 1);
    const std::pair<const char*, std::string> cases[] = {
        // Read by the codec as 0 pixels wide.
        {"blank_width.pfm", "PF\n 4 3\n-1.0\n" + std::string(4 * 3 * 12, '\0')},
        {"short.pfm", "PF\n4 3\n-1.0\n" + std::string(20, '\0')},
        {"short.hdr", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 3 +X 4\n\x01"},
    };
    for (const auto& [name, bytes] : cases) {
        write_bytes(scratch_dir() / name, bytes);
        EXPECT_TRUE(decode_image_file(scratch_dir() / name).empty()) << name;
    }
    EXPECT_TRUE(fs::is_empty(temporary));
    ::unsetenv("OPENCV_TEMP_PATH");
}

TEST(KeepsScrollPosition, OnlyForAnImageOfTheSameSize)
{
    const cv::Mat stored(600, 800, CV_8UC3);
    EXPECT_TRUE(keeps_scroll_position(stored, cv::Mat(600, 800, CV_8UC3)));
    EXPECT_FALSE(keeps_scroll_position(stored, cv::Mat(800, 600, CV_8UC3)));
    EXPECT_FALSE(keeps_scroll_position(stored, cv::Mat(600, 801, CV_8UC3)));
    EXPECT_FALSE(keeps_scroll_position(cv::Mat(), cv::Mat(600, 800, CV_8UC3)));
}

TEST(DecodeImageFile, NativeDepthKeepsTheFilesSamplesAndChannels)
{
    // OpenCV writes B, G, R (A): read back as R, G, B (A), values intact.
    cv::Mat deep(5, 7, CV_16UC3);
    cv::randu(deep, 0, 65536);
    deep.at<cv::Vec3w>(1, 2) = {60000, 513, 258};
    cv::Mat rgba(4, 6, CV_8UC4, cv::Scalar(10, 20, 30, 0));
    cv::Mat floats(3, 5, CV_32FC1, cv::Scalar(0.125f));
    floats.at<float>(2, 4) = -1.5e6f;
    const cv::Mat gray12(6, 4, CV_16UC1, cv::Scalar(4095));
    const std::pair<const char*, cv::Mat> files[]
        = {{"deep.png", deep}, {"deep.tif", deep}, {"alpha.png", rgba}, {"float.tif", floats}, {"gray.png", gray12}};
    for (const auto& [name, written] : files) {
        SCOPED_TRACE(name);
        const fs::path path = scratch_dir() / name;
        ASSERT_TRUE(cv::imwrite(path.string(), written));
        std::string failure;
        const cv::Mat read = decode_image_file(path, &failure, true);
        ASSERT_EQ(read.type(), written.type()) << failure;
        cv::Mat rgb = written.clone();
        if (written.channels() == 3)
            cv::cvtColor(written, rgb, cv::COLOR_BGR2RGB);
        else if (written.channels() == 4)
            cv::cvtColor(written, rgb, cv::COLOR_BGRA2RGBA);
        EXPECT_EQ(cv::norm(read, rgb, cv::NORM_INF), 0);
        EXPECT_EQ(decode_image_file(path, nullptr, false).type(), CV_8UC3) << "8-bit R, G, B unless asked";
    }
    // Floats, which OpenCV reads at their own depth alone, levelled over their range.
    const cv::Mat levelled = decode_image_file(scratch_dir() / "float.tif", nullptr, false);
    EXPECT_EQ(levelled.at<cv::Vec3b>(0, 0), cv::Vec3b(255, 255, 255));
    EXPECT_EQ(levelled.at<cv::Vec3b>(2, 4), cv::Vec3b(0, 0, 0));
    const cv::Mat read = decode_image_file(scratch_dir() / "deep.png", nullptr, true);
    EXPECT_EQ(read.at<cv::Vec3w>(1, 2), cv::Vec3w(258, 513, 60000));
}
