// Writes small valid files of every format the header check knows into the
// folder given as the first argument: the fuzz targets' seeds.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace fs = std::filesystem;

namespace {

// A 6 x 4 RGB JPEG 2000 codestream (OpenJPEG, lossless): this OpenCV has
// no JPEG 2000 encoder.
const char j2k_codestream[] =
    "\xff\x4f\xff\x51\x00\x2f\x00\x00\x00\x00\x00\x06\x00\x00\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x06\x00\x00\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x03\x07\x01\x01\x07\x01\x01"
    "\x07\x01\x01\xff\x52\x00\x0c\x00\x00\x00\x01\x00\x02\x04\x04\x00\x01\xff\x5c\x00\x0a\x40\x40\x48"
    "\x48\x50\x48\x48\x50\xff\x64\x00\x25\x00\x01\x43\x72\x65\x61\x74\x65\x64\x20\x62\x79\x20\x4f\x70"
    "\x65\x6e\x4a\x50\x45\x47\x20\x76\x65\x72\x73\x69\x6f\x6e\x20\x32\x2e\x35\x2e\x30\xff\x90\x00\x0a"
    "\x00\x00\x00\x00\x00\x26\x00\x01\xff\x93\xcf\xb4\x0c\x08\x51\xb3\xcf\xb4\x0c\x02\x65\x9f\xcf\xb4"
    "\x0c\x08\x85\x7f\x80\x80\x80\x80\x80\x80\xff\xd9";

std::string be32(unsigned value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string box(const std::string& type, const std::string& content)
{
    return be32(static_cast<unsigned>(8 + content.size())) + type + content;
}

void write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);

    cv::Mat bgr(12, 17, CV_8UC3), gray, floats;
    cv::randu(bgr, 0, 256);
    cv::GaussianBlur(bgr, bgr, cv::Size(3, 3), 0);
    cv::cvtColor(bgr, gray, cv::COLOR_BGR2GRAY);
    bgr.convertTo(floats, CV_32FC3, 1.0 / 255);
    const struct
    {
        const char* name;
        const cv::Mat& image;
        std::vector<int> parameters;
    } encoded[] = {
        {"seed.png", bgr, {}},
        {"seed.jpg", bgr, {}},
        {"progressive.jpg", bgr, {cv::IMWRITE_JPEG_PROGRESSIVE, 1}},
        {"gray.jpg", gray, {}},
        {"seed.bmp", bgr, {}},
        {"seed.tiff", bgr, {}},
        {"lzw.tiff", gray, {cv::IMWRITE_TIFF_COMPRESSION, 5}},
        {"seed.webp", bgr, {}},
        {"lossless.webp", bgr, {cv::IMWRITE_WEBP_QUALITY, 101}},
        {"seed.ppm", bgr, {}},
        {"ascii.ppm", bgr, {cv::IMWRITE_PXM_BINARY, 0}},
        {"seed.pgm", gray, {}},
        {"seed.pbm", gray, {}},
        {"seed.pam", bgr, {}},
        {"seed.pfm", floats, {}},
        {"seed.ras", bgr, {}},
        {"seed.hdr", floats, {}},
        {"seed.exr", floats, {}},
    };
    int written = 0;
    for (const auto& file : encoded) {
        std::vector<uchar> bytes;
        try {
            const std::string extension = fs::path(file.name).extension().string();
            if (!cv::imencode(extension, file.image, bytes, file.parameters))
                continue;
        } catch (const cv::Exception&) {
            continue; // no encoder for it in this build
        }
        write(folder / file.name, std::string(bytes.begin(), bytes.end()));
        ++written;
    }
    const std::string codestream(j2k_codestream, sizeof j2k_codestream - 1);
    write(folder / "seed.j2k", codestream);
    const std::string ihdr = be32(4) + be32(6) + std::string("\x00\x03\x07\x07\x00\x00", 6);
    write(folder / "seed.jp2", box("jP  ", "\r\n\x87\n") + box("ftyp", std::string("jp2 \0\0\0\0jp2 ", 12))
                                   + box("jp2h", box("ihdr", ihdr) + box("colr", std::string("\x01\0\0\0\0\0\x10", 7)))
                                   + box("jp2c", codestream));
    std::printf("%d seeds in %s\n", written + 2, folder.c_str());
    return 0;
}
