#include "AssetLoader.h"
#include "AssetFileSamples.h"
#include "FileSizeLimit.h"
#include "GameState.h"
#include "MessageBox.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace wz::test {
namespace {

struct RecordingSink : MessageBoxSink {
    std::vector<MessageBoxRequest> shown;
    void ShowMessage(const MessageBoxRequest& request) override { shown.push_back(request); }
};

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The colour at the top-left corner of a picture, red first.
content::Rgb TopLeft(const Picture& picture) {
    const std::uint8_t* p = picture.Pixels() + std::size_t(picture.Height() - 1) * picture.Stride();
    return {p[2], p[1], p[0]};
}

bool Near(content::Rgb a, content::Rgb b) {
    return std::abs(a.r - b.r) < 6 && std::abs(a.g - b.g) < 6 && std::abs(a.b - b.b) < 6;
}

// Each test gets an asset file in a folder of its own and its own temporary folder (TMPDIR),
// so the files the loader makes can be counted.
class AssetLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(tmp); }
    std::vector<fs::path> TempFiles() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(tmp))
            files.push_back(entry.path());
        return files;
    }
    void Write(const std::vector<AssetStream>& streams) {
        ASSERT_TRUE(WriteAssetFile(assetFile, streams));
    }

    wz::testkit::ScratchFolder scratch{"assets"};
    fs::path root = scratch.path();
    fs::path tmp = root / "tmp";
    fs::path assetFile = root / "WinData.stg";
    wz::testkit::TmpdirOverride tmpdir{tmp};
    GameState state;
    RecordingSink sink;
};

// A complete file: three pictures, two temporary files named "tmp..." readable by the player
// only, holding the streams byte for byte; at exit nothing is left.
TEST_F(AssetLoaderTest, LoadsEverythingAndCleansUp) {
    const auto streams = SampleAssets();
    Write(streams);
    {
        AssetLoader loader(state, sink, assetFile);
        ASSERT_TRUE(loader.LoadStartupPictures());
        EXPECT_TRUE(loader.ExtractKnockSound());
        EXPECT_TRUE(loader.ExtractTitleMusic());
        EXPECT_TRUE(sink.shown.empty());

        ASSERT_NE(loader.FramePicture(), nullptr);
        EXPECT_EQ(loader.FramePicture()->Width(), 296);
        EXPECT_EQ(loader.FramePicture()->Height(), 432);
        EXPECT_EQ(loader.FramePicture()->Depth(), 24u);
        EXPECT_TRUE(Near(TopLeft(*loader.BackgroundPicture()), PictureColour(0)));
        EXPECT_TRUE(Near(TopLeft(*loader.FramePicture()), {0, 0, 0})) << "a black frame";
        EXPECT_GE(loader.TilePicture()->Width(), 160);

        EXPECT_EQ(state.knockReady, 1);
        EXPECT_EQ(state.musicReady, 1);
        EXPECT_EQ(state.musicTempExists, 1);
        for (const std::string& path : {loader.KnockTempPath(), loader.MusicTempPath()}) {
            EXPECT_EQ(fs::path(path).parent_path(), tmp);
            EXPECT_EQ(fs::path(path).filename().string().rfind("tmp", 0), 0u) << path;
            struct stat info {};
            ASSERT_EQ(::stat(path.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0600u) << path;
        }
        EXPECT_EQ(FileBytes(loader.KnockTempPath()), StreamBytes(streams, u"Sound", u"Knock"));
        EXPECT_EQ(FileBytes(loader.MusicTempPath()), StreamBytes(streams, u"Music", u"Titles"));

        // A later track rewrites the same file.
        const std::string musicPath = loader.MusicTempPath();
        loader.ExtractMusicTrack(u"Love18");
        EXPECT_EQ(loader.MusicTempPath(), musicPath);
        EXPECT_EQ(FileBytes(musicPath), StreamBytes(streams, u"Music", u"Love18"));
        EXPECT_EQ(state.musicReady, 1);
        EXPECT_EQ(TempFiles().size(), 2u);

        loader.FreePictures();
        loader.RemoveKnockSound();
        loader.RemoveMusicTrack();
        EXPECT_EQ(loader.FramePicture(), nullptr);
        EXPECT_EQ(state.knockReady + state.musicReady + state.musicTempExists, 0);
        EXPECT_TRUE(TempFiles().empty());
    }
    EXPECT_TRUE(sink.shown.empty());
}

// Without any of the three start-up pictures the game cannot run: one fatal message, nothing
// kept, and no temporary file made.
TEST_F(AssetLoaderTest, StartupPicturesAreFatal) {
    struct Case {
        const char* name;
        std::vector<AssetStream> streams;
        bool writeFile;
    };
    const auto all = SampleAssets();
    const Case cases[] = {
        {"no asset file", all, false},
        {"no Images", Without(all, u"Images"), true},
        {"no Jacket", Without(all, u"Images", u"Jacket"), true},
        {"no Love1", Without(all, u"Images", u"Love1"), true},
        {"no Titles", Without(all, u"Images", u"Titles"), true},
    };
    for (const Case& c : cases) {
        fs::remove(assetFile);
        if (c.writeFile)
            Write(c.streams);
        sink.shown.clear();
        AssetLoader loader(state, sink, assetFile);
        EXPECT_FALSE(loader.LoadStartupPictures()) << c.name;
        ASSERT_EQ(sink.shown.size(), 1u) << c.name;
        EXPECT_EQ(sink.shown[0], AssetFileFatalMessage()) << c.name;
        EXPECT_EQ(sink.shown[0].text,
                  "Fatal Error: File WinData.stg missing or corrupt !!!\nThe Game is done !!!");
        EXPECT_EQ(loader.FramePicture(), nullptr) << c.name;
        EXPECT_EQ(loader.BackgroundPicture(), nullptr) << c.name;
        EXPECT_EQ(loader.TilePicture(), nullptr) << c.name;
        EXPECT_TRUE(TempFiles().empty()) << c.name;
    }
}

// A first level picture that is there but does not decode, or decodes to another size, is not
// fatal: the decoder's box says so, if it fails, and the frame is a black 296 x 432 picture
// all the same, so the screens can always be drawn.
TEST_F(AssetLoaderTest, FrameIsMadeWhateverTheFirstLevelPicture) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::size_t messages;
    };
    const Case cases[] = {
        {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 0, 0}, 1},
        {"other size", SolidJpeg(40, 30, PictureColour(1)), 0},
    };
    for (const auto& [what, bytes, messages] : cases) {
        std::vector<AssetStream> streams = Without(SampleAssets(), u"Images", u"Love1");
        streams.push_back({u"Images", u"Love1", bytes});
        Write(streams);
        sink.shown.clear();
        AssetLoader loader(state, sink, assetFile);
        ASSERT_TRUE(loader.LoadStartupPictures()) << what;
        EXPECT_EQ(sink.shown.size(), messages) << what;
        const Picture* frame = loader.FramePicture();
        ASSERT_NE(frame, nullptr) << what;
        EXPECT_EQ(frame->Width(), 296) << what;
        EXPECT_EQ(frame->Height(), 432) << what;
        EXPECT_EQ(frame->Depth(), 24u) << what;
        EXPECT_TRUE(Near(TopLeft(*frame), {0, 0, 0})) << what;
    }
}

// A file that is no compound file at all is as good as missing.
TEST_F(AssetLoaderTest, DamagedAssetFileIsFatal) {
    const std::vector<std::vector<std::uint8_t>> damaged = {
        {}, std::vector<std::uint8_t>(512, 0xFF), {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}};
    for (const auto& bytes : damaged) {
        std::ofstream(assetFile, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        sink.shown.clear();
        AssetLoader loader(state, sink, assetFile);
        EXPECT_FALSE(loader.LoadStartupPictures()) << bytes.size() << " bytes";
        EXPECT_EQ(sink.shown.size(), 1u);
    }
}

// Missing sound or music switch that feature off after its message; the rest goes on.
TEST_F(AssetLoaderTest, MissingSoundOrMusicSwitchesItOff) {
    struct Case {
        const char* name;
        std::u16string_view storage, stream;
        bool knock, music;
    };
    const Case cases[] = {
        {"no Sound", u"Sound", u"", false, true},
        {"no Knock", u"Sound", u"Knock", false, true},
        {"no Music", u"Music", u"", true, false},
        {"no title track", u"Music", u"Titles", true, false},
    };
    for (const Case& c : cases) {
        Write(Without(SampleAssets(), c.storage, c.stream));
        sink.shown.clear();
        state = GameState{};
        AssetLoader loader(state, sink, assetFile);
        ASSERT_TRUE(loader.LoadStartupPictures()) << c.name;
        EXPECT_EQ(loader.ExtractKnockSound(), c.knock) << c.name;
        EXPECT_EQ(loader.ExtractTitleMusic(), c.music) << c.name;
        ASSERT_EQ(sink.shown.size(), 1u) << c.name;
        EXPECT_EQ(sink.shown[0], c.knock ? NoMusicMessage() : NoSoundMessage()) << c.name;
        EXPECT_EQ(state.knockReady, c.knock ? 1 : 0) << c.name;
        EXPECT_EQ(state.musicReady, c.music ? 1 : 0) << c.name;
        EXPECT_EQ(state.musicTempExists, c.music ? 1 : 0) << c.name;
        EXPECT_EQ(TempFiles().size(), 1u) << c.name; // only the one that worked
    }
    EXPECT_EQ(NoSoundMessage().text, "Error: Can't create temp file or file\nWinData.stg missing "
                                     "or corrupt !!! \nYou will not have a Sound !!!");
}

// Once the music has failed, every later track says so again and makes no file.
TEST_F(AssetLoaderTest, MusicFailureRepeatsAtEveryTrack) {
    Write(Without(SampleAssets(), u"Music"));
    {
        AssetLoader loader(state, sink, assetFile);
        ASSERT_TRUE(loader.LoadStartupPictures());
        loader.ExtractTitleMusic();
        loader.ExtractMusicTrack(u"Love1");
        loader.ExtractMusicTrack(u"Titles");
        ASSERT_EQ(sink.shown.size(), 3u);
        for (const auto& shown : sink.shown)
            EXPECT_EQ(shown, NoMusicMessage());
        EXPECT_EQ(state.musicReady, 0);
        EXPECT_TRUE(TempFiles().empty());
    }

    // A track missing from a good Music storage ends the music the same way.
    Write(Without(SampleAssets(), u"Music", u"Love5"));
    AssetLoader second(state, sink, assetFile);
    ASSERT_TRUE(second.ExtractTitleMusic());
    second.ExtractMusicTrack(u"Love5");
    EXPECT_EQ(sink.shown.size(), 4u);
    EXPECT_EQ(state.musicTempExists, 0);
    EXPECT_TRUE(TempFiles().empty());
    second.ExtractMusicTrack(u"Love1");
    EXPECT_EQ(sink.shown.size(), 5u);
    EXPECT_TRUE(TempFiles().empty());
}

// No usable temporary folder: both features go off with their messages.
TEST_F(AssetLoaderTest, NoTemporaryFolder) {
    Write(SampleAssets());
    ::setenv("TMPDIR", (root / "missing").c_str(), 1);
    AssetLoader loader(state, sink, assetFile);
    EXPECT_FALSE(loader.ExtractKnockSound());
    EXPECT_FALSE(loader.ExtractTitleMusic());
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0], NoSoundMessage());
    EXPECT_EQ(sink.shown[1], NoMusicMessage());
}

// A copy that fails once its temporary file exists removes that file at once, instead of
// leaving an empty file behind for good.
TEST_F(AssetLoaderTest, FailedCopyLeavesNoTemporaryFile) {
    Write(SampleAssets());
    AssetLoader loader(state, sink, assetFile);

    bool knock = true;
    bool music = true;
    {
        const wz::testkit::FileSizeLimit none(0);
        ASSERT_TRUE(none.ok());
        knock = loader.ExtractKnockSound();
        music = loader.ExtractTitleMusic();
    }

    EXPECT_FALSE(knock);
    EXPECT_FALSE(music);
    EXPECT_EQ(sink.shown.size(), 2u);
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_TRUE(loader.KnockTempPath().empty());
}

// Pictures by name at run time: a missing stream is fatal and keeps the old background; bytes
// that do not decode give an empty picture, reported by the decoder, and the game goes on.
TEST_F(AssetLoaderTest, BackgroundPictureByName) {
    auto streams = SampleAssets();
    streams.push_back({u"Images", u"Broken", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}});
    Write(streams);
    AssetLoader loader(state, sink, assetFile);
    ASSERT_TRUE(loader.LoadStartupPictures());

    EXPECT_TRUE(loader.LoadBackgroundPicture(u"Love7"));
    EXPECT_TRUE(Near(TopLeft(*loader.BackgroundPicture()), PictureColour(7)));
    EXPECT_TRUE(loader.LoadBackgroundPicture(u"Win"));
    EXPECT_TRUE(Near(TopLeft(*loader.BackgroundPicture()), PictureColour(21)));
    EXPECT_TRUE(sink.shown.empty());

    const Picture* before = loader.BackgroundPicture();
    EXPECT_FALSE(loader.LoadBackgroundPicture(u"Love21"));
    EXPECT_EQ(loader.BackgroundPicture(), before);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], AssetFileFatalMessage());

    EXPECT_TRUE(loader.LoadBackgroundPicture(u"Broken"));
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[1].icon, MessageIcon::Exclamation);
    EXPECT_EQ(sink.shown[1].text, "Error");
    EXPECT_TRUE(loader.BackgroundPicture()->IsEmpty());
}

// The game's read-only opens of the file coexist with each other, and keep writers out while
// the game runs; a writer holding the file keeps the game from starting.
TEST_F(AssetLoaderTest, SharingWithWriters) {
    Write(SampleAssets());
    {
        AssetLoader loader(state, sink, assetFile);
        ASSERT_TRUE(loader.LoadStartupPictures());
        ASSERT_TRUE(loader.ExtractKnockSound());
        ASSERT_TRUE(loader.ExtractTitleMusic());
        AssetLoader other(state, sink, assetFile);
        EXPECT_TRUE(other.LoadStartupPictures());
        EXPECT_TRUE(sink.shown.empty());

        std::shared_ptr<cfb::Storage> writer;
        EXPECT_NE(
            cfb::OpenCompoundFile(assetFile, cfb::kModeReadWrite | cfb::kShareExclusive, writer),
            0);
    }
    std::shared_ptr<cfb::Storage> writer;
    ASSERT_EQ(cfb::OpenCompoundFile(assetFile, cfb::kModeReadWrite | cfb::kShareExclusive, writer),
              0);
    AssetLoader loader(state, sink, assetFile);
    EXPECT_FALSE(loader.LoadStartupPictures());
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], AssetFileFatalMessage());
}

} // namespace
} // namespace wz::test
