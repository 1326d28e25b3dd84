// The GL-free halves of drawing: the particle walk that decides state changes
// and quads, the quad batch layout, and the glyph bitmaps of the overlay font.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "GlyphFont.h"
#include "ParticleBatch.h"

using namespace gx;

namespace {

// Records what the walk asks for, as text: "T<id>", "L<list>", "Q<red>".
struct RecordingSink {
    std::vector<std::string> calls;
    void BindTexture(uint32_t texture) { calls.push_back("T" + std::to_string(texture)); }
    void UseRenderList(int32_t list) { calls.push_back("L" + std::to_string(list)); }
    void Quad(const Vec3 *, const float rgba[4])
    {
        calls.push_back("Q" + std::to_string(static_cast<int>(rgba[0])));
    }
};

// Sprites stand for texture ids: the fake model's address is an array slot.
uint32_t g_spriteTextures[4] = {11, 12, 0, 14};
int g_frameResets = 0;
uint32_t FakeSpriteTexture(const SpriteModel &sprite, float &frame, float)
{
    if (frame >= 2.0f) {
        frame = 0.0f;
        ++g_frameResets;
    }
    return *reinterpret_cast<const uint32_t *>(&sprite);
}
SpriteModel *Sprite(int slot)
{
    return reinterpret_cast<SpriteModel *>(&g_spriteTextures[slot]);
}

class Walk : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim = SimState{};
        std::memset(particles, 0, sizeof particles);
        std::memset(links, 0, sizeof links);
        camera = Camera{};
        camera.right = {0, 1, 0};
        camera.up = {0, 0, 1};
        for (TypeLink &l : links)
            l.drawable = 1;
        g_frameResets = 0;
    }
    // Chains the first n particles into the active list; particle i has red i.
    void Activate(int n)
    {
        for (int i = 0; i < n; ++i) {
            Particle &p = particles[i];
            p.next = i + 1 < n ? &particles[i + 1] : nullptr;
            p.size = 1.0f;
            p.serial = static_cast<uint32_t>(2 * i + 1);  // odd: taken
            p.colour[0] = static_cast<float>(i);
            p.alpha = 1.0f;
            if (!p.typeLink)
                p.typeLink = &links[0];
        }
        sim.activeHead = n > 0 ? &particles[0] : nullptr;
    }
    void Overlay(Particle &parent, Particle &child)
    {
        parent.overlayChild = &child;
        parent.overlaySerial = child.serial;
    }
    std::vector<std::string> Run()
    {
        RecordingSink sink;
        WalkParticles(sim, camera, FakeSpriteTexture, sink);
        return sink.calls;
    }

    SimState sim;
    Particle particles[8];
    TypeLink links[4];
    Camera camera;
};

using Calls = std::vector<std::string>;

}  // namespace

TEST_F(Walk, StateChangesOnlyWhereTheyDiffer)
{
    links[0].renderList = kListTexture;
    links[0].sprite = Sprite(0);  // texture 11
    links[1].renderList = kListAlphaTest;
    links[1].sprite = Sprite(1);  // texture 12
    links[2].renderList = 0;      // modes never read: additive
    links[2].sprite = Sprite(2);  // no texture: keeps 12 bound
    particles[2].typeLink = &links[1];
    particles[3].typeLink = &links[2];
    particles[4].typeLink = &links[0];
    Activate(5);
    EXPECT_EQ(Run(),
              (Calls{"T11", "L502", "Q0", "Q1", "T12", "L501", "Q2", "L500", "Q3", "T11", "L502", "Q4"}));
}

TEST_F(Walk, ChainsDrawEveryLiveMemberAtTheHeadsCorners)
{
    links[1].renderList = kListColour;
    particles[3].typeLink = &links[1];
    particles[4].typeLink = &links[1];
    Activate(3);
    particles[3].serial = 41;
    particles[3].colour[0] = 30;
    particles[3].size = 0.0f;  // a member's own size does not matter
    particles[4].serial = 43;
    particles[4].colour[0] = 40;
    Overlay(particles[0], particles[3]);
    Overlay(particles[3], particles[4]);
    Overlay(particles[1], particles[4]);
    particles[1].overlaySerial = 99;  // the child was freed and taken again
    particles[2].size = 0.0f;         // an invisible head hides its chain
    Overlay(particles[2], particles[3]);
    EXPECT_EQ(Run(), (Calls{"L500", "Q0", "L503", "Q30", "Q40", "L500", "Q1"}));

    // A chain that loops back on itself stops after the type limit.
    Overlay(particles[4], particles[0]);
    sim.activeHead = &particles[0];
    particles[0].next = nullptr;
    int quads = 0;
    for (const std::string &call : Run())
        quads += call[0] == 'Q';
    EXPECT_EQ(quads, kMaxChainMembers);
}

TEST_F(Walk, UndrawableMembersAndFrameWrapping)
{
    links[1].drawable = 0;
    links[0].sprite = Sprite(3);  // texture 14
    particles[1].typeLink = &links[1];
    Activate(3);
    particles[2].typeLink = nullptr;
    particles[0].frame = 5.0f;
    EXPECT_EQ(Run(), (Calls{"T14", "L500", "Q0"}));
    EXPECT_EQ(particles[0].frame, 0.0f);
    EXPECT_EQ(g_frameResets, 1);
    sim.activeHead = nullptr;
    EXPECT_TRUE(Run().empty());
}

TEST(QuadBatch, CornersColoursAndTextureCoordinates)
{
    static QuadBatch batch;
    InitQuadBatch(batch);
    EXPECT_EQ(batch.quads, 0);
    const Vec3 v[4] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
    const float rgba[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    while (!BatchFull(batch))
        AppendQuad(batch, v, rgba);
    EXPECT_EQ(batch.quads, QuadBatch::kMaxQuads);
    const int last = QuadBatch::kMaxQuads - 1;
    // Corners go V4, V3, V2, V1 with (0,1) (1,1) (1,0) (0,0).
    const float expectPos[12] = {10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3};
    const float expectTex[8] = {0, 1, 1, 1, 1, 0, 0, 0};
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(batch.positions[last * 12 + k], expectPos[k]) << k;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(batch.texCoords[last * 8 + k], expectTex[k]) << k;
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(batch.colours[last * 16 + k], rgba[k % 4]) << k;
}

TEST(GlyphFont, BitmapsRunFromTheBottomRowMostSignificantBitFirst)
{
    static GlyphFont font;
    ClearGlyphFont(font);
    // A 10 x 3 box: the top row is full, the middle row has its 1st and 10th
    // pixels, the bottom row is empty.
    const GlyphMetrics m{-1, 9, 2, 1, 8};
    AddGlyph(font, 'A', m, [](int x, int y) { return y == 0 || (y == 1 && (x == 0 || x == 9)); });
    const Glyph &g = font.glyphs['A'];
    ASSERT_TRUE(g.present);
    EXPECT_EQ(g.width, 10);
    EXPECT_EQ(g.height, 3);
    EXPECT_EQ(g.xorig, 1);
    EXPECT_EQ(g.yorig, 0);  // the bottom row sits on the pen's row
    EXPECT_EQ(g.advance, 8);
    EXPECT_EQ(font.used, 6u);
    const uint8_t *b = font.bits + g.offset;
    EXPECT_EQ(b[0], 0x00);  // bottom row
    EXPECT_EQ(b[1], 0x00);
    EXPECT_EQ(b[2], 0x80);
    EXPECT_EQ(b[3], 0x40);
    EXPECT_EQ(b[4], 0xFF);  // top row
    EXPECT_EQ(b[5], 0xC0);

    // A blank box moves the pen only; codes outside 0..254 are ignored.
    AddGlyph(font, ' ', GlyphMetrics{0, 0, 0, 0, 6}, [](int, int) { return true; });
    EXPECT_TRUE(font.glyphs[' '].present);
    EXPECT_EQ(font.glyphs[' '].width, 0);
    EXPECT_EQ(font.glyphs[' '].advance, 6);
    AddGlyph(font, 255, m, [](int, int) { return true; });
    EXPECT_FALSE(font.glyphs[255].present);
    EXPECT_FALSE(font.glyphs['B'].present);
}

TEST(GlyphFont, GlyphsBeyondTheStoreOnlyAdvance)
{
    static GlyphFont font;
    ClearGlyphFont(font);
    const GlyphMetrics huge{0, 2048, 2048, 0, 12};  // 256 x 2048 bytes > the store
    AddGlyph(font, 'W', huge, [](int, int) { return true; });
    EXPECT_TRUE(font.glyphs['W'].present);
    EXPECT_EQ(font.glyphs['W'].width, 0);
    EXPECT_EQ(font.glyphs['W'].advance, 12);
    EXPECT_EQ(font.used, 0u);
    const GlyphMetrics absurd{0, 100000, 5, 5, 3};
    AddGlyph(font, 'X', absurd, [](int, int) { return true; });
    EXPECT_EQ(font.glyphs['X'].width, 0);
    EXPECT_EQ(font.used, 0u);
}

TEST(GlyphFont, AtlasHoldsEveryGlyphInItsCell)
{
    static GlyphFont font;
    ClearGlyphFont(font);
    static GlyphAtlas atlas;
    EXPECT_FALSE(BuildGlyphAtlas(font, atlas));  // nothing loaded
    EXPECT_TRUE(atlas.alpha.empty());

    // 'A': 3 x 2 with its top-left and bottom-right pixels; 'B': 5 x 9, full.
    AddGlyph(font, 'A', GlyphMetrics{0, 3, 1, 1, 4},
             [](int x, int y) { return (x == 0 && y == 0) || (x == 2 && y == 1); });
    AddGlyph(font, 'B', GlyphMetrics{0, 5, 9, 0, 6}, [](int, int) { return true; });
    AddGlyph(font, ' ', GlyphMetrics{0, 0, 0, 0, 6}, [](int, int) { return true; });
    font.loaded = true;
    ASSERT_TRUE(BuildGlyphAtlas(font, atlas));
    EXPECT_EQ(atlas.width, 128);   // 16 cells of 5, to a power of two
    EXPECT_EQ(atlas.height, 256);  // 16 cells of 9
    ASSERT_EQ(atlas.alpha.size(), 128u * 256u);
    const auto at = [&](int x, int y) { return atlas.alpha[static_cast<size_t>(y) * 128 + x]; };
    const GlyphAtlas::Cell a = atlas.cells['A'];
    EXPECT_EQ(a.x, ('A' % 16) * 5);
    EXPECT_EQ(a.y, ('A' / 16) * 9);
    // Row 0 of the atlas cell is the bitmap's bottom row.
    EXPECT_EQ(at(a.x + 2, a.y), 255);
    EXPECT_EQ(at(a.x, a.y + 1), 255);
    EXPECT_EQ(at(a.x, a.y), 0);
    EXPECT_EQ(at(a.x + 1, a.y + 1), 0);
    int inked = 0;
    for (uint8_t v : atlas.alpha)
        inked += v == 255;
    EXPECT_EQ(inked, 2 + 5 * 9);

    // Glyphs too large for a texture give no atlas.
    AddGlyph(font, 'C', GlyphMetrics{0, 200, 100, 0, 6}, [](int, int) { return false; });
    EXPECT_FALSE(BuildGlyphAtlas(font, atlas));
    EXPECT_EQ(atlas.width, 0);
}
