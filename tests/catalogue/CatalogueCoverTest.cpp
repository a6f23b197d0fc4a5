// The covers mivo-catalogue serves: every cover address of the data file
// answers with a JPEG that libjpeg-turbo decodes to a picture of its own;
// other cover names are not found.
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <turbojpeg.h>

#include "tests/support/CatalogueProcess.h"

namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    std::string pixels;  // RGB rows; empty when the bytes are no JPEG
};

Decoded DecodeJpeg(const std::string& bytes) {
    std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    Decoded out;
    int subsampling = 0, colourspace = 0;
    if (!decoder || tjDecompressHeader3(decoder.get(), data, bytes.size(), &out.width, &out.height, &subsampling,
                                        &colourspace) != 0)
        return {};
    out.pixels.resize(static_cast<size_t>(out.width) * out.height * 3);
    if (tjDecompress2(decoder.get(), data, bytes.size(), reinterpret_cast<unsigned char*>(out.pixels.data()), out.width,
                      0, out.height, TJPF_RGB, 0) != 0)
        return {};
    return out;
}

// The path of every cover address in the data file, with its album's slug.
std::map<std::string, std::string> CoverPaths() {
    std::ifstream in(MIVO_CATALOGUE_DATA);
    const nlohmann::json data = nlohmann::json::parse(in);
    const std::string site = "http://" + data["site"].get<std::string>();
    std::map<std::string, std::string> paths;
    for (const auto& artist : data["artists"])
        for (const auto& album : artist["albums"])
            if (album.contains("cover")) paths[album["cover"].get<std::string>().substr(site.size())] = album["slug"];
    return paths;
}

class CatalogueCoverTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Started()) << "mivo-catalogue did not report its port"; }
    httplib::Result Get(const std::string& target) {
        httplib::Client client("127.0.0.1", server.Port());
        client.set_url_encode(false);
        return client.Get(target.c_str());
    }
    testsupport::CatalogueProcess server{MIVO_CATALOGUE_PATH, {"--data", MIVO_CATALOGUE_DATA}};
};

TEST_F(CatalogueCoverTest, EveryCoverAddressIsAJpegOfItsOwn) {
    const std::map<std::string, std::string> covers = CoverPaths();
    ASSERT_GT(covers.size(), 100u);
    std::map<std::string, std::string> slugByPicture;
    for (const auto& [path, slug] : covers) {
        auto res = Get(path);
        ASSERT_TRUE(res) << path;
        ASSERT_EQ(res->status, 200) << path;
        EXPECT_EQ(res->get_header_value("Content-Type"), "image/jpeg") << path;
        const Decoded picture = DecodeJpeg(res->body);
        ASSERT_FALSE(picture.pixels.empty()) << path << ": not a JPEG";
        EXPECT_EQ(picture.width, 128) << path;
        EXPECT_EQ(picture.height, 128) << path;
        auto [same, added] = slugByPicture.emplace(picture.pixels, slug);
        EXPECT_TRUE(added) << slug << " has the picture of " << same->second;
        EXPECT_EQ(Get(path)->body, res->body) << path << ": the same bytes each time";
    }
}

TEST_F(CatalogueCoverTest, OtherCoverNamesAreNotFound) {
    struct Row {
        const char* name;
        std::string target;
        int status;
    };
    const Row rows[] = {
        {"unknown album", "/images/cover/no-such-album-mw0000000.jpg", 404},
        {"album without a cover", "/images/cover/live-at-the-fenwick-mw0001028.jpg", 404},
        {"no .jpg", "/images/cover/salt-vinegar-mw0001014", 404},
        {"other ending", "/images/cover/salt-vinegar-mw0001014.png", 404},
        {"deeper path", "/images/cover/x/salt-vinegar-mw0001014.jpg", 404},
        {"just .jpg", "/images/cover/.jpg", 404},
        {"other images keep the placeholder", "/images/albumartmissing.gif", 200},
    };
    for (const Row& row : rows) {
        auto res = Get(row.target);
        ASSERT_TRUE(res) << row.name;
        EXPECT_EQ(res->status, row.status) << row.name;
    }
}

}  // namespace
