// A fresh editor over the fake port for every test: the state object, the
// port, WM_CREATE already dispatched, and pictures written to temporary .BMP
// files on request.
#ifndef PIVOLA_TESTS_EDITOR_FIXTURE_H
#define PIVOLA_TESTS_EDITOR_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bmp.h"
#include "core/document.h"
#include "core/state.h"
#include "fakeport.h"
#include "platform/messages.h"
#include "shell/dispatch.h"

namespace pivola::test {

// The pixel (x, y) of the test pictures, in the editor's layout.
inline std::uint32_t patternpixel(int x, int y) {
    return static_cast<std::uint32_t>((x * 7 + 3) & 0xFF) |
           static_cast<std::uint32_t>((y * 5 + 11) & 0xFF) << 8 |
           static_cast<std::uint32_t>((x + y) & 0xFF) << 16;
}

// lParam of a mouse message: two signed 16-bit client coordinates.
inline std::intptr_t mousepos(int x, int y) {
    return static_cast<std::intptr_t>(static_cast<std::uint16_t>(x) |
                                      static_cast<std::uint32_t>(static_cast<std::uint16_t>(y))
                                          << 16);
}

class Editor : public ::testing::Test {
  protected:
    App app;
    FakePort port;
    std::vector<std::filesystem::path> temps;

    void SetUp() override { ASSERT_EQ(dispatch(app, port, wm::create, 0, 0), answered(0)); }

    void TearDown() override {
        dispatch(app, port, wm::destroy, 0, 0);
        EXPECT_TRUE(port.errors.empty()) << port.errors.front();
        EXPECT_TRUE(port.pens.empty());
        EXPECT_TRUE(port.brushes.empty());
        EXPECT_TRUE(port.bitmaps.empty());
        EXPECT_TRUE(port.surfaces.empty());
        for (const auto& p : temps) std::filesystem::remove(p);
    }

    // Writes a w x h picture of patternpixel to a new temporary .BMP file.
    std::string writepicture(int w, int h, const std::string& name = "picture.bmp") {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[static_cast<std::size_t>(y) * w + x] = patternpixel(x, y);
        files::Picture pic{pixels.data(), w * h * 4, w, h};
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(files::encodebmp(pic, &bytes));
        return writefile(name, bytes);
    }

    std::string writefile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        auto path = std::filesystem::temp_directory_path() /
                    (std::string("pivola-") + info->test_suite_name() + "-" + info->name() + "-" +
                     std::to_string(temps.size()) + "-" + name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        temps.push_back(path);
        return path.string();
    }

    void load(int w, int h) {
        const std::string path = writepicture(w, h);
        ASSERT_TRUE(loadimg(app, port, path.c_str()));
    }

    Outcome send(std::uint32_t message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0) {
        return dispatch(app, port, message, wparam, lparam);
    }
    Outcome command(int id) { return send(wm::command, static_cast<std::uintptr_t>(id)); }

    std::int32_t defx(int i) const { return app.doc.map.defx[i]; }
    std::int32_t defy(int i) const { return app.doc.map.defy[i]; }
};

}  // namespace pivola::test

#endif
