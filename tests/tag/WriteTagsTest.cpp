#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/tag/AudioTagFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/tag/samples/AudioSamples.h"
#include "tests/tag/samples/ExifToolReader.h"

namespace mivo_host {
namespace {

using test::AudioFormat;
namespace fs = std::filesystem;

// A small JPEG-looking picture; only its bytes matter here.
const std::vector<unsigned char> kCover = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                                           0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xD9};

TagChanges AlbumChanges() {
    TagChanges changes;
    changes.title = "Naïve Song";
    changes.album = "Ünïcode Album";
    changes.genre = "Rock";
    changes.year = 2004;
    changes.track = 3;
    changes.trackTotal = 12;
    changes.artist = "New Artist";
    return changes;
}

// Each format: written, read back by exiftool and by the engine, the audio
// and the other tags unchanged.
TEST(WriteAudioTags, EveryFormatReadBackIndependently) {
    struct Row {
        const char* name;
        AudioFormat format;
        const char* oldArtist;  // "" for a file without an artist
        const char* expectArtist;
        int id3Version;  // the version the MP3 keeps; 0 for others
        // exiftool's names: the year, the track and the total (nullptr when the
        // track holds it), the picture's marker, with what they read
        const char* yearKey;
        const char* trackKey;
        const char* trackText;
        const char* totalKey;
        const char* pictureKey;
        const char* pictureText;
    };
    const char* front = "Front Cover";
    const char* mp4Cover = "(Binary data 22 bytes, use -b option to extract)";
    const Row rows[] = {
        {"mp3 2.3 with artist", AudioFormat::Mp3Id3v23, "Old Artist", "Old Artist", 3, "Year", "Track", "3/12", nullptr,
         "PictureType", front},
        {"mp3 2.4 without artist", AudioFormat::Mp3Id3v24, "", "New Artist", 4, "RecordingTime", "Track", "3/12",
         nullptr, "PictureType", front},
        {"flac with artist", AudioFormat::Flac, "Old Artist", "Old Artist", 0, "Date", "TrackNumber", "3", "Tracktotal",
         "PictureType", front},
        {"flac without artist", AudioFormat::Flac, "", "New Artist", 0, "Date", "TrackNumber", "3", "Tracktotal",
         "PictureType", front},
        {"vorbis without artist", AudioFormat::Vorbis, "", "New Artist", 0, "Date", "TrackNumber", "3", "Tracktotal",
         "PictureType", front},
        {"opus with artist", AudioFormat::Opus, "Old Artist", "Old Artist", 0, "Date", "TrackNumber", "3", "Tracktotal",
         "PictureType", front},
        {"m4a with artist", AudioFormat::M4a, "Old Artist", "Old Artist", 0, "ContentCreateDate", "TrackNumber",
         "3 of 12", nullptr, "CoverArt", mp4Cover},
        {"m4a without artist", AudioFormat::M4a, "", "New Artist", 0, "ContentCreateDate", "TrackNumber", "3 of 12",
         nullptr, "CoverArt", mp4Cover},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        fs::path file = folder / ("song" + test::ExtensionOf(row.format));
        test::MakeAudioFile(row.format, file, row.oldArtist);
        fs::permissions(file, fs::perms(0640));
        std::string audioBefore = test::AudioPayload(row.format, file);
        ASSERT_FALSE(audioBefore.empty());

        WriteTagsResult written = WriteAudioTags(file.string(), AlbumChanges(), kCover);
        ASSERT_TRUE(written.Ok()) << written.failure->message;

        std::map<std::string, std::string> tags = test::ExifToolTags(file);
        EXPECT_EQ(tags["Title"], "Naïve Song");
        EXPECT_EQ(tags["Album"], "Ünïcode Album");
        EXPECT_EQ(tags["Genre"], "Rock");
        EXPECT_EQ(tags["Artist"], row.expectArtist);
        EXPECT_EQ(tags["Comment"], "keep me");
        EXPECT_EQ(tags[row.yearKey], "2004");
        EXPECT_EQ(tags[row.trackKey], row.trackText);
        if (row.totalKey) {
            EXPECT_EQ(tags[row.totalKey], "12");
        }
        if (row.id3Version != 0) {
            EXPECT_EQ(test::Id3v2Version(file), row.id3Version);
        }
        EXPECT_EQ(tags[row.pictureKey], row.pictureText);
        EXPECT_EQ(test::AudioPayload(row.format, file), audioBefore);
        EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
        EXPECT_EQ(0u, test::StrayCopiesIn(folder.path()));

        ReadTagsResult read = ReadAudioTags(file.string());
        ASSERT_TRUE(read.Ok()) << read.failure->message;
        EXPECT_EQ(read.tags.title, "Naïve Song");
        EXPECT_EQ(read.tags.album, "Ünïcode Album");
        EXPECT_EQ(read.tags.artist, row.expectArtist);
        EXPECT_EQ(read.tags.year, 2004u);
        EXPECT_EQ(read.tags.track, 3u);
        EXPECT_EQ(read.tags.trackTotal, 12u);
        EXPECT_FALSE(read.tags.albumArtist);
        EXPECT_FALSE(read.readOnly);
    }
}

// The FLAC file's stream still decodes to the signature it was made with.
TEST(WriteAudioTags, FlacStreamStillMatchesItsSignature) {
    TempFolder folder;
    fs::path file = folder / "song.flac";
    test::MakeAudioFile(AudioFormat::Flac, file, "");
    std::string command =
        "metaflac --show-md5sum " + test::Quoted(file.string()) + " > " + test::Quoted((folder / "md5").string());
    ASSERT_EQ(test::RunCommand(command), 0);
    std::string signature = ReadBytes(folder / "md5");

    ASSERT_TRUE(WriteAudioTags(file.string(), AlbumChanges(), kCover).Ok());
    ASSERT_EQ(test::RunCommand(command), 0);
    EXPECT_EQ(ReadBytes(folder / "md5"), signature);
    EXPECT_EQ(test::RunCommand("flac -s -t " + test::Quoted(file.string())), 0);
}

// Fields the file lacks read as absent, the ones it holds as they are.
TEST(ReadAudioTags, LackingFieldsAreAbsent) {
    struct Row {
        const char* name;
        AudioFormat format;
    };
    const Row rows[] = {{"mp3", AudioFormat::Mp3Id3v23},
                        {"flac", AudioFormat::Flac},
                        {"opus", AudioFormat::Opus},
                        {"m4a", AudioFormat::M4a}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        fs::path file = folder / ("song" + test::ExtensionOf(row.format));
        test::MakeAudioFile(row.format, file, "");
        ReadTagsResult read = ReadAudioTags(file.string());
        ASSERT_TRUE(read.Ok()) << read.failure->message;
        EXPECT_EQ(read.tags.title, "Old");
        EXPECT_FALSE(read.tags.album);
        EXPECT_FALSE(read.tags.artist);
        EXPECT_FALSE(read.tags.genre);
        EXPECT_FALSE(read.tags.year);
        EXPECT_FALSE(read.tags.track);
        EXPECT_FALSE(read.tags.trackTotal);
    }
}

// Files the engine must refuse: each reported with its reason, left as it
// was, without a copy left behind; a good file beside them is still written.
TEST(WriteAudioTags, RefusedFilesStayAsTheyWere) {
    struct Row {
        const char* name;
        const char* file;
        TagFailureKind kind;
        const char* message;
    };
    const Row rows[] = {
        {"missing", "missing.mp3", TagFailureKind::CannotOpen, "cannot open: No such file or directory"},
        {"not audio", "notes.mp3", TagFailureKind::NotAudio, "not an audio file TagLib reads"},
        {"unknown extension", "song.wav", TagFailureKind::NotAudio, "not an audio file TagLib reads"},
        {"read-only", "locked.flac", TagFailureKind::ReadOnly, "read-only"},
        {"link", "link.flac", TagFailureKind::CannotOpen, "cannot open: a link"},
        {"folder", "folder.flac", TagFailureKind::CannotOpen, "cannot open: not a regular file"},
    };
    TempFolder folder;
    test::MakeAudioFile(AudioFormat::Flac, folder / "good.flac", "");
    test::MakeAudioFile(AudioFormat::Flac, folder / "locked.flac", "");
    fs::permissions(folder / "locked.flac", fs::perms(0444));
    WriteBytes(folder / "notes.mp3", "these are not the frames you are looking for\n");
    fs::copy_file(folder / "good.flac", folder / "song.wav");
    fs::create_symlink(folder / "good.flac", folder / "link.flac");
    fs::create_directory(folder / "folder.flac");

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::path file = folder / row.file;
        std::string before = fs::is_regular_file(file) ? ReadBytes(file) : "";
        WriteTagsResult written = WriteAudioTags(file.string(), AlbumChanges());
        ASSERT_FALSE(written.Ok());
        EXPECT_EQ(written.failure->kind, row.kind);
        EXPECT_EQ(written.failure->message, row.message);
        if (!before.empty()) {
            EXPECT_EQ(ReadBytes(file), before);
        }
        EXPECT_EQ(0u, test::StrayCopiesIn(folder.path()));
    }
    EXPECT_TRUE(ReadAudioTags((folder / "locked.flac").string()).readOnly);
    EXPECT_EQ(ReadAudioTags((folder / "notes.mp3").string()).failure->kind, TagFailureKind::NotAudio);
    ASSERT_TRUE(WriteAudioTags((folder / "good.flac").string(), AlbumChanges()).Ok());
    EXPECT_EQ(ReadAudioTags((folder / "good.flac").string()).tags.album, "Ünïcode Album");
    EXPECT_TRUE(fs::is_symlink(folder / "link.flac"));
}

}  // namespace
}  // namespace mivo_host

namespace mivo_host {
namespace {

// A change of one part of a field keeps the file's other parts: the full
// date when the year stays, the total when only the track number changes.
TEST(WriteAudioTags, ChangesKeepTheRestOfAField) {
    struct Row {
        const char* name;
        AudioFormat format;
        const char* prepare;  // a command run on the file, "{}" standing for its path
        TagChanges changes;
        const char* key;  // exiftool's name of the field
        const char* expected;
    };
    auto year = [](unsigned y) {
        TagChanges changes;
        changes.year = y;
        return changes;
    };
    auto track = [](unsigned t) {
        TagChanges changes;
        changes.track = t;
        return changes;
    };
    auto total = [](unsigned t) {
        TagChanges changes;
        changes.trackTotal = t;
        return changes;
    };
    const Row rows[] = {
        {"flac same year keeps the date", AudioFormat::Flac, "metaflac --set-tag=DATE=2004-05-01 {}", year(2004),
         "Date", "2004-05-01"},
        {"flac other year replaces the date", AudioFormat::Flac, "metaflac --set-tag=DATE=2004-05-01 {}", year(2005),
         "Date", "2005"},
        {"flac track keeps the total", AudioFormat::Flac, "metaflac --set-tag=TRACKTOTAL=12 {}", track(4), "Tracktotal",
         "12"},
        {"mp3 track keeps the total", AudioFormat::Mp3Id3v23, "", track(4), "Track", "4/12"},
        {"mp3 total keeps the track number", AudioFormat::Mp3Id3v23, "", total(15), "Track", "3/15"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        fs::path file = folder / ("song" + test::ExtensionOf(row.format));
        if (row.format == AudioFormat::Flac) {
            test::MakeAudioFile(row.format, file, "");
        } else {
            // lame's own options give the MP3 a track number with its total.
            ASSERT_EQ(test::RunCommand("sox -n -r 44100 -b 16 -c 1 " + test::Quoted((folder / "s.wav").string()) +
                                       " synth 1 sine 440 && lame --quiet --tn 3/12 " +
                                       test::Quoted((folder / "s.wav").string()) + " " + test::Quoted(file.string())),
                      0);
        }
        std::string prepare = row.prepare;
        if (size_t at = prepare.find("{}"); at != std::string::npos) {
            prepare.replace(at, 2, test::Quoted(file.string()));
            ASSERT_EQ(test::RunCommand(prepare), 0);
        }
        ASSERT_TRUE(WriteAudioTags(file.string(), row.changes).Ok());
        EXPECT_EQ(test::ExifToolTags(file)[row.key], row.expected);
    }
}

}  // namespace
}  // namespace mivo_host
