// Runs the demo program with --screenshot and looks at the picture it wrote.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace fs = std::filesystem;

namespace {

fs::path scratch_dir()
{
    std::string pattern = (fs::temp_directory_path() / "tesk_vumo_demo_XXXXXX").string();
    return mkdtemp(pattern.data());
}

/// Runs the demo with @p arguments (already quoted); returns its exit status
/// and puts what it wrote to stderr into @p errors.
int run_demo(const std::string& arguments, const fs::path& dir, std::string& errors)
{
    const fs::path err = dir / "stderr.txt";
    const std::string command =
        "'" + std::string(TESK_VUMO_DEMO_PROGRAM) + "' " + arguments + " 2> '" + err.string() + "'";
    const int status = std::system(command.c_str());
    std::ifstream in(err);
    errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// Number of pixels of @p rgb within 12 of @p colour in every channel.
int count_near(const cv::Mat& rgb, cv::Vec3b colour)
{
    int n = 0;
    for (int r = 0; r < rgb.rows; ++r)
        for (int c = 0; c < rgb.cols; ++c) {
            const cv::Vec3b p = rgb.at<cv::Vec3b>(r, c);
            n += std::abs(p[0] - colour[0]) <= 12 && std::abs(p[1] - colour[1]) <= 12
                 && std::abs(p[2] - colour[2]) <= 12;
        }
    return n;
}

cv::Mat read_rgb(const fs::path& path)
{
    cv::Mat bgr = cv::imread(path.string(), cv::IMREAD_COLOR);
    cv::Mat rgb;
    if (!bgr.empty())
        cv::cvtColor(bgr, rgb, cv::COLOR_BGR2RGB);
    return rgb;
}

} // namespace

TEST(DemoScreenshot, ShowsTheSamplePicture)
{
    const fs::path dir = scratch_dir();
    const fs::path shot = dir / "shot.png";
    std::string errors;
    ASSERT_EQ(run_demo("--screenshot '" + shot.string() + "'", dir, errors), 0) << errors;
    const cv::Mat picture = read_rgb(shot);
    ASSERT_FALSE(picture.empty()) << "no readable picture at " << shot;
    EXPECT_GE(picture.cols, 400);
    EXPECT_GE(picture.rows, 300);

    // The colour bars of the sample, each in a visible block.
    const std::pair<const char*, cv::Vec3b> bars[] = {
        {"yellow", {255, 255, 0}}, {"cyan", {0, 255, 255}}, {"green", {0, 255, 0}},
        {"magenta", {255, 0, 255}}, {"red", {255, 0, 0}},    {"blue", {0, 0, 255}},
    };
    for (const auto& [name, colour] : bars)
        EXPECT_GT(count_near(picture, colour), 1000) << "too little " << name << " in " << shot;
    fs::remove_all(dir);
}

TEST(DemoScreenshot, ShowsTheImageGivenOnTheCommandLine)
{
    const fs::path dir = scratch_dir();
    const fs::path shot = dir / "shot.png";
    const fs::path red = fs::path(TESK_VUMO_TEST_DATA_DIR) / "red_8x6.png";
    std::string errors;
    ASSERT_EQ(run_demo("'" + red.string() + "' --screenshot '" + shot.string() + "'", dir, errors), 0) << errors;
    const cv::Mat picture = read_rgb(shot);
    ASSERT_FALSE(picture.empty()) << "no readable picture at " << shot;
    EXPECT_GT(count_near(picture, {255, 0, 0}), picture.cols * picture.rows / 3);
    EXPECT_EQ(count_near(picture, {255, 255, 0}), 0) << "the sample was shown instead";
    fs::remove_all(dir);
}

TEST(DemoScreenshot, FailsWithAMessageOnAnUnreadableImage)
{
    const fs::path dir = scratch_dir();
    const fs::path shot = dir / "shot.png";
    const fs::path missing = dir / "missing.png";
    std::string errors;
    EXPECT_NE(run_demo("'" + missing.string() + "' --screenshot '" + shot.string() + "'", dir, errors), 0);
    EXPECT_NE(errors.find("Load Image File [" + missing.string() + "] Failed."), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(shot));
    fs::remove_all(dir);
}
