// `wzassets fit` and `build --fit` over pictures that libvips writes at test time.

#include "FitPicture.h"
#include "MediaChecks.h"

#include "ToolRun.h"

#include <ChildProcess.h>
#include <ScratchFolder.h>

#include <gtest/gtest.h>
#include <vips/vips8>

#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using vips::VImage;
using wztest::Tool;

// A smooth picture of the given size in the given format (".png", ".webp", ".jpg"...).
Bytes Picture(int width, int height, const char* format) {
    wz::media::StartPictureLibrary();
    const VImage xyz = VImage::xyz(width, height);
    const VImage picture =
        xyz.bandjoin(xyz.extract_band(0) + xyz.extract_band(1))
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    void* data = nullptr;
    std::size_t size = 0;
    picture.write_to_buffer(format, &data, &size);
    Bytes bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    g_free(data);
    return bytes;
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool IsGamePicture(const fs::path& path) {
    wz::media::PictureInfo info;
    return wz::media::CheckBackground(ReadFile(path), info).empty();
}

TEST(FitCommand, WritesTheGamePictureOrRefusesWithOneLine) {
    wz::testkit::ScratchFolder folder("wzfit");
    const std::string photo = (folder / "photo.png").string();
    const Bytes photoBytes = Picture(640, 480, ".png");
    WriteFile(photo, photoBytes);
    const std::string out = (folder / "out.jpg").string();
    const std::string pdf = (folder / "doc.pdf").string();
    WriteFile(pdf, {'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'});
    const std::string link = (folder / "link.png").string();
    ASSERT_EQ(::link(photo.c_str(), link.c_str()), 0);

    const struct {
        std::vector<std::string> args;
        int code;
        const char* said; // a part of what the tool printed, on out for 0, else on err
    } cases[] = {
        {{"fit", photo, out}, 0, "296 x 432 JPEG"},
        {{"fit", photo, out, "--crop", "centre", "--quality", "70"}, 0, "296 x 432 JPEG"},
        {{"fit", photo, out, "--crop", "center"}, 0, "296 x 432 JPEG"},
        {{"fit", photo, out, "--crop", "344,48,296,432"}, 0, "296 x 432 JPEG"},
        {{"fit", photo, out, "--crop", "345,48,296,432"}, 1, "does not lie inside"},
        {{"fit", photo, out, "--crop", "344,49,296,432"}, 1, "does not lie inside"},
        {{"fit", photo, out, "--crop", "10,20,300,400"}, 0, "296 x 432 JPEG"},
        {{"fit", photo, out, "--crop", "600,0,100,100"}, 1, "does not lie inside"},
        {{"fit", photo, out, "--crop", "1,2,3"}, 2, "Usage: wzassets fit"},
        {{"fit", photo, out, "--quality", "0"}, 2, "Usage: wzassets fit"},
        {{"fit", photo}, 2, "Usage: wzassets fit"},
        {{"fit", pdf, out}, 1, "not a picture this program reads"},
        {{"fit", photo, photo}, 1, "are the same file"},
        {{"fit", photo, link}, 1, "are the same file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        fs::remove(out);
        const wztest::ToolRun run = Tool(c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        const std::string& said = c.code == 0 ? run.out : run.err;
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(c.code == 0, fs::exists(out));
        if (c.code == 0) {
            EXPECT_TRUE(IsGamePicture(out));
        }
    }
    EXPECT_EQ(ReadFile(photo), photoBytes) << "the input is never written over";

    // Each option reaches the file: three qualities give three files, each larger than the
    // last; either spelling of the centre gives the same file, and not the attention crop's.
    const auto fitted = [&](std::vector<std::string> options) {
        std::vector<std::string> args = {"fit", photo, out};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(Tool(args).code, 0);
        return ReadFile(out);
    };
    const Bytes low = fitted({"--quality", "30"});
    const Bytes usual = fitted({"--quality", "90"});
    EXPECT_LT(low.size(), usual.size());
    EXPECT_LT(usual.size(), fitted({"--quality", "100"}).size());
    EXPECT_EQ(fitted({}), usual);
    const Bytes centre = fitted({"--crop", "centre"});
    EXPECT_EQ(fitted({"--crop", "center"}), centre);
    EXPECT_NE(fitted({"--crop", "attention"}), centre);
    fs::remove(out);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 3)
        << "no scratch file left";
}

TEST(BuildFit, FitsEveryBackgroundThatIsNotAGamePictureAndNothingElse) {
    wz::testkit::ScratchFolder folder("wzfit");
    const fs::path from = folder / "from";
    const Bytes ready = Picture(296, 432, ".jpg");
    const Bytes titles = Picture(200, 100, ".jpg");
    WriteFile(from / "Images/Love1.png", Picture(640, 480, ".png"));
    WriteFile(from / "Images/Love2.jpg", Picture(300, 900, ".webp")); // known by content
    WriteFile(from / "Images/Win.jpeg", ready);
    WriteFile(from / "Images/Titles.jpg", titles);
    const std::string asset = (folder / "WinData.stg").string();

    // Nothing to fit without a folder to take the pictures from: a usage error, no file.
    const wztest::ToolRun nothing = Tool({"build", asset, "--fit"});
    EXPECT_EQ(nothing.code, 2);
    EXPECT_NE(nothing.err.find("Usage: wzassets build"), std::string::npos) << nothing.err;
    EXPECT_FALSE(fs::exists(asset));

    const wztest::ToolRun built =
        Tool({"build", asset, "--from", from.string(), "--fit", "--quiet"});
    ASSERT_EQ(built.code, 0) << built.err;
    EXPECT_EQ(std::count(built.out.begin(), built.out.end(), '\n'), 3)
        << built.out; // and the summary
    EXPECT_NE(built.out.find("fitted " + (from / "Images/Love1.png").string()), std::string::npos);
    EXPECT_NE(built.out.find("fitted " + (from / "Images/Love2.jpg").string()), std::string::npos);

    const std::string unpacked = (folder / "unpacked").string();
    ASSERT_EQ(Tool({"unpack", asset, unpacked}).code, 0);
    for (const char* name : {"Love1", "Love2", "Win", "Jacket"})
        EXPECT_TRUE(IsGamePicture(fs::path(unpacked) / "Images" / (std::string(name) + ".jpg")))
            << name;
    EXPECT_EQ(ReadFile(fs::path(unpacked) / "Images/Win.jpg"), ready);
    EXPECT_EQ(ReadFile(fs::path(unpacked) / "Images/Titles.jpg"), titles)
        << "the tile sheet is never fitted";

    // Without --fit the files go in as they are, and a note names each that the game will
    // not show.
    const wztest::ToolRun plain = Tool({"build", asset, "--from", from.string(), "--quiet"});
    ASSERT_EQ(plain.code, 0);
    EXPECT_EQ(std::count(plain.err.begin(), plain.err.end(), '\n'), 2) << plain.err;
    EXPECT_NE(plain.err.find("note: " + (from / "Images/Love2.jpg").string() + ": "),
              std::string::npos)
        << plain.err;
    ASSERT_EQ(Tool({"extract", asset, "Images/Love1", (folder / "love1").string()}).code, 0);
    EXPECT_EQ(ReadFile(folder / "love1"), ReadFile(from / "Images/Love1.png"));
}

// The program itself, started afresh for each picture, as a user runs it: the files it reads
// by their path in a way of their own (HEIF and AVIF, whose loader is loaded only when one
// comes; BMP, read by our own reader) are fitted, and a FIFO in the picture's place is refused
// at once rather than waited on.
TEST(FitCommand, TheProgramFitsEachFormatByPathAndRefusesAFifo) {
    wz::testkit::ScratchFolder folder("wzfit");
    const fs::path png = folder / "photo.png";
    WriteFile(png, Picture(640, 480, ".png"));
    // Made by another program, so that nothing here has loaded the HEIF module.
    for (const char* type : {"HEIC", "AVIF", "BMP3"}) {
        const std::string made = std::string(type) + ":" + (folder / "photo.").string() + type;
        ASSERT_EQ(wz::testkit::RunProgram({"convert", png.string(), made}), 0) << type;
    }
    ASSERT_EQ(::mkfifo((folder / "fifo.jpg").c_str(), 0600), 0);
    const fs::path out = folder / "out.jpg";
    const struct {
        const char* picture;
        int code;
        const char* said;
    } rows[] = {
        {"photo.HEIC", 0, "wrote "},
        {"photo.AVIF", 0, "wrote "},
        {"photo.BMP3", 0, "wrote "},
        {"fifo.jpg", 1, "fifo.jpg: not a regular file"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.picture);
        fs::remove(out);
        std::string said;
        // A hang is cut short, and then fails.
        const int code = wz::testkit::RunProgram(
            {"timeout", "60", "sh", "-c", "exec \"$0\" fit \"$1\" \"$2\" 2>&1",
             // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): the folder and name are one path
             WZ_BINARY_DIR "/bin/wzassets", (folder / r.picture).string(), out.string()},
            &said);
        EXPECT_EQ(code, r.code) << said;
        EXPECT_NE(said.find(r.said), std::string::npos) << said;
        EXPECT_EQ(r.code == 0, IsGamePicture(out));
    }
}

} // namespace
