// Text rendered into an entity's texture: what a stored text shows, the pass-through body, the
// editor's live re-rendering (only on change), one pair of registrations however often it is
// initialised, copies, a missing font, entities without body or graphics, the text form, and names
// beyond ASCII.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/MessageDispatcher.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Graphics.h"
#include "graphics/ScopedGameState.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "physics/Body.h"
#include "ui/TextureTextComponent.h"

namespace {

class TextureTextTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        state.add<FreetypeFont>("Verdana Bold", std::make_unique<FreetypeFont>("Fonts/DejaVuSans-Bold.ttf", 0));
        state.add<Texture>("whitePixel", std::make_unique<Texture>(whitePixelImage(), GL_RGBA));
    }

    // An entity with a body, a Graphics and the text component (not initialised yet).
    TextureTextComponent* makeLabel(Entity& entity, const std::string& text) {
        entity.addComponent(new Body());
        entity.addComponent(new Graphics());
        auto* label = new TextureTextComponent();
        label->text = text;
        label->lineHeight = 32;
        return label;
    }
    static int textureWidth(Entity& entity) { return entity.graphics->getTexture()->getWidth(); }
    static int textureHeight(Entity& entity) { return entity.graphics->getTexture()->getHeight(); }
    static void notice(Entity& entity, int type) { sendMessageToHandler(new Message(type), &entity, true); }

    ScopedGameState state;
};

TEST(TextEscapes, LineBreaksQuotesAndEverythingElseKept) {
    EXPECT_EQ(L"A\nB", expandTextEscapes("A\\nB"));
    EXPECT_EQ(L"say \"hi\"", expandTextEscapes("say \\\"hi\\\""));
    EXPECT_EQ(L"a\\b\\", expandTextEscapes("a\\b\\"));
    // Backslash, backslash, n: the first backslash stays before the line break.
    EXPECT_EQ(L"\\\n", expandTextEscapes("\\\\n"));
    // Backslashes before a quote all go, as searching again from the start would find each new pair.
    EXPECT_EQ(L"\"", expandTextEscapes("\\\\\""));
    EXPECT_EQ(L"n\n\n", expandTextEscapes("n\\n\\n"));
    // Bytes above 127 are Latin-1 characters, never negative codes.
    const std::wstring accented = expandTextEscapes("caf\xe9");
    ASSERT_EQ(4u, accented.size());
    EXPECT_EQ(0xe9, static_cast<int>(accented[3]));
}

TEST_F(TextureTextTest, RendersOnInitialiseAndMakesItsBodyPassThrough) {
    Entity entity;
    TextureTextComponent* label = makeLabel(entity, "Tovik");
    ASSERT_TRUE(entity.body->resolve);
    entity.addComponent(label);
    EXPECT_TRUE(label->initialised);
    EXPECT_FALSE(entity.body->resolve);
    EXPECT_EQ("Tovik", label->renderedText);
    EXPECT_TRUE(entity.graphics->textureName.empty());
    ASSERT_NE(0u, entity.graphics->getTexture()->getGLName());
    const int oneLine = textureHeight(entity);
    EXPECT_GT(textureWidth(entity), 3 * 32 / 2);

    // Two lines are taller than one; the line height scales the texture.
    label->text = "To\\nvik";
    label->renderText();
    EXPECT_GT(textureHeight(entity), oneLine + 20);
    label->lineHeight = 64;
    label->text = "Tovik";
    label->renderText();
    EXPECT_GT(textureHeight(entity), oneLine + 20);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(TextureTextTest, NamesBeyondAsciiDrawTheirLettersAndStrayBytesStillDraw) {
    // The pixels of a texture as luminance-alpha bytes.
    auto bytesOf = [](const Texture& texture) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(texture.getWidth() * texture.getHeight() * 2));
        glBindTexture(GL_TEXTURE_2D, texture.getGLName());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, bytes.data());
        return bytes;
    };
    FreetypeFont font = state.state.get<FreetypeFont>("Verdana Bold");
    font.setSize(32);
    auto shows = [&](const std::string& text, const std::wstring& characters) {
        Entity entity;
        entity.addComponent(makeLabel(entity, text));
        EXPECT_EQ(bytesOf(*entity.graphics->getTexture()), bytesOf(font.renderToTexture(characters))) << text;
        return textureWidth(entity);
    };
    // "José" as the system names the player (UTF-8): the letter é itself, as wide as "Jose".
    const int accented = shows("Jos\xC3\xA9", {L'J', L'o', L's', 0xE9});
    EXPECT_EQ(shows("Jose", L"Jose"), accented);
    // Bytes that are no UTF-8 still draw, each as its Latin-1 character.
    EXPECT_EQ(shows("Jos\xE9", {L'J', L'o', L's', 0xE9}), accented);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(TextureTextTest, LiveUpdatesRenderEachChangeOnceAndOnlyWhileTheEditorWorks) {
    Entity entity;
    TextureTextComponent* label = makeLabel(entity, "A");
    entity.addComponent(label);
    const int narrow = textureWidth(entity);
    const Texture blank(whitePixelImage(), GL_RGBA);

    // Off: a new text waits for somebody to render it.
    label->text = "AAAAAAAA";
    entity.update(0.016f);
    EXPECT_EQ(narrow, textureWidth(entity));
    EXPECT_EQ("A", label->renderedText);

    notice(entity, TextureTextComponent::liveUpdateOnMessage);
    notice(entity, TextureTextComponent::liveUpdateOnMessage);
    EXPECT_TRUE(label->liveUpdate);
    entity.update(0.016f);
    EXPECT_GT(textureWidth(entity), 4 * narrow);
    EXPECT_EQ("AAAAAAAA", label->renderedText);

    // An unchanged text is not rendered again: the stand-in texture stays.
    entity.graphics->setTexture(blank);
    entity.update(0.016f);
    EXPECT_EQ(1, textureWidth(entity));

    notice(entity, TextureTextComponent::liveUpdateOffMessage);
    notice(entity, TextureTextComponent::liveUpdateOffMessage);
    EXPECT_FALSE(label->liveUpdate);
    label->text = "B";
    entity.update(0.016f);
    EXPECT_EQ(1, textureWidth(entity));
}

TEST_F(TextureTextTest, OnePairOfRegistrationsThatGoesWithTheComponent) {
    Entity entity;
    TextureTextComponent* label = makeLabel(entity, "x");
    entity.addComponent(label);
    const std::size_t withOnePair = entity.getHandlerTable().size();
    label->initialize();
    label->initialize();
    EXPECT_EQ(withOnePair, entity.getHandlerTable().size());
    notice(entity, TextureTextComponent::liveUpdateOnMessage);
    EXPECT_TRUE(label->liveUpdate);

    // A copy keeps the texts and the flag, so it does not render until its text changes.
    std::unique_ptr<TextureTextComponent> copy(static_cast<TextureTextComponent*>(label->clone()));
    EXPECT_EQ("x", copy->renderedText);
    EXPECT_TRUE(copy->liveUpdate);
    EXPECT_FALSE(copy->initialised);
    EXPECT_FALSE(copy->liveUpdateOnHandle.isActive());

    // Removing the component from a living entity takes its registrations along.
    entity.removeComponent(label);
    entity.flushRemovedComponents();
    EXPECT_EQ(withOnePair - 2, entity.getHandlerTable().size());
    notice(entity, TextureTextComponent::liveUpdateOffMessage);  // nobody left to answer
}

TEST_F(TextureTextTest, MissingFontAndMissingPartsAreSurvived) {
    Entity bare;
    auto* floating = new TextureTextComponent();
    floating->text = "no body, no graphics";
    bare.addComponent(floating);
    EXPECT_EQ("no body, no graphics", floating->renderedText);

    Entity entity;
    TextureTextComponent* label = makeLabel(entity, "Tovik");
    label->fontName = "No Such Font";
    label->lineHeight = -5;
    testing::internal::CaptureStderr();
    entity.addComponent(label);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("doesn't exist")) << errors;
    EXPECT_EQ("Tovik", label->renderedText);
}

TEST_F(TextureTextTest, TextFormRoundTripsWithOptionalKeys) {
    TextureTextComponent label;
    label.fontName = "Verdana Bold";
    label.text = "Two words\\nand \"quotes\"";
    label.lineHeight = 40;
    label.disabled = true;
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, static_cast<Component*>(&label));
    }
    EXPECT_NE(std::string::npos, text.str().find("TextureTextComponent")) << text.str();

    std::istringstream back(text.str());
    IStreamWrapper in(back);
    Component* read = nullptr;
    readValue(in, read);
    auto* copy = dynamic_cast<TextureTextComponent*>(read);
    ASSERT_NE(nullptr, copy) << text.str();
    EXPECT_EQ(label.text, copy->text);
    EXPECT_EQ(40, copy->lineHeight);
    EXPECT_TRUE(copy->disabled);
    EXPECT_TRUE(copy->renderedText.empty());
    delete read;

    // Only the text given: the other keys keep their defaults.
    std::istringstream partial("TextureTextComponent 0 0 Component end text Hello end");
    IStreamWrapper partialIn(partial);
    TextureTextComponent onlyText;
    readValue(partialIn, onlyText);
    EXPECT_FALSE(partialIn.hasFailed());
    EXPECT_EQ("Hello", onlyText.text);
    EXPECT_EQ("Verdana Bold", onlyText.fontName);
    EXPECT_EQ(64, onlyText.lineHeight);
}

}  // namespace
