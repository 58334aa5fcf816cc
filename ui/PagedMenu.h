// Screens of full-screen pages to leaf through: how to play and the credits. Items: back, next page,
// previous page; D/A and the arrows turn the pages, a released space or Enter always goes back.
#pragma once

#include "ui/Menu.h"

class KeyboardMessage;

class PagedMenu : public Menu {
public:
    // Reads the menu file and binds the three actions.
    explicit PagedMenu(const char* file);
    PagedMenu(const PagedMenu& other) = default;

    void bindActions() override;
    void initialize() override;

    // Turns to the next or previous page; at either end nothing happens (no wrap).
    void showNextPage();
    void showPreviousPage();

    void onKeyDown(KeyboardMessage& message);
    void onKeyUp(KeyboardMessage& message);
};

class HowToPlayMenu : public PagedMenu {
public:
    static constexpr const char* file = "Content/Menus/howToPlay.menu";
    HowToPlayMenu();
    HowToPlayMenu(const HowToPlayMenu& other) = default;
    Menu* clone() const override;
};

class Credits : public PagedMenu {
public:
    static constexpr const char* file = "Content/Menus/credits.menu";
    Credits();
    Credits(const Credits& other) = default;
    Menu* clone() const override;
};
