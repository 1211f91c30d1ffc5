#include "SkinKeys.h"

namespace {

using Kind = SkinValueKind;
using Element = SkinElementKind;

void AddBox(std::vector<SkinKey>& keys, const std::string& stem, Element element) {
    for (auto [suffix, kind] : {std::pair{"_posx", Kind::PositionX},
                                {"_posy", Kind::PositionY},
                                {"_width", Kind::Width},
                                {"_height", Kind::Height}})
        keys.push_back({stem + suffix, stem, kind, element});
}

void AddButton(std::vector<SkinKey>& keys, const std::string& stem, Element element) {
    AddBox(keys, stem, element);
    for (const char* suffix : {"_normal", "_down", "_over"})
        keys.push_back({stem + suffix, stem, Kind::ButtonImage, element});
}

std::vector<SkinKey> MakeKeys() {
    std::vector<SkinKey> keys;
    keys.push_back({"login_url", "login_url", Kind::LoginAddress, Element::LoginPage});
    keys.push_back({"login_bg", "login_bg", Kind::Backdrop, Element::LoginBackdrop});
    AddBox(keys, "login_browserctrl", Element::LoginPage);
    AddButton(keys, "login_minibtn", Element::LoginButton);
    AddButton(keys, "login_closebtn", Element::LoginButton);

    keys.push_back({"game_bg", "game_bg", Kind::Background, Element::GameBackground});
    keys.push_back({"game_title", "game_title", Kind::Title, Element::Title});
    for (auto [suffix, kind] : {std::pair{"_r", Kind::Channel},
                                {"_g", Kind::Channel},
                                {"_b", Kind::Channel},
                                {"_posx", Kind::PositionX},
                                {"_posy", Kind::PositionY}})
        keys.push_back({std::string("game_title") + suffix, "game_title", kind, Element::Title});
    keys.push_back({"game_gamepic_normal", "game_gamepic", Kind::Picture, Element::Picture});
    keys.push_back({"game_gamepic_posx", "game_gamepic", Kind::PositionX, Element::Picture});
    keys.push_back({"game_gamepic_posy", "game_gamepic", Kind::PositionY, Element::Picture});

    for (const std::string& stem : GameButtonStems()) {
        AddButton(keys, stem, Element::GameButton);
        keys.push_back({stem + "_tips", stem, Kind::Tip, Element::GameButton});
        if (stem == "game_closebtn")
            keys.push_back({stem + "_callbacktips", stem, Kind::Question, Element::GameButton});
        if (stem == "game_servicebtn" || stem == "game_forumbtn" || stem == "game_webbtn" ||
            stem == "game_paybtn")
            keys.push_back({stem + "_url", stem, Kind::LinkAddress, Element::GameButton});
    }
    keys.push_back({"offline_page", "offline_page", Kind::OfflinePage, Element::OfflinePage, true});
    keys.push_back(
        {kTrustedOriginsKey, kTrustedOriginsKey, Kind::Origins, Element::TrustedPages, true});
    return keys;
}

} // namespace

const std::vector<SkinKey>& SkinKeys() {
    static const std::vector<SkinKey> keys = MakeKeys();
    return keys;
}

const std::vector<std::string>& GameButtonStems() {
    static const std::vector<std::string> stems = {
        "game_closebtn",   "game_winbtn",     "game_minibtn",  "game_traybtn", "game_cachebtn",
        "game_refreshbtn", "game_servicebtn", "game_forumbtn", "game_webbtn",  "game_paybtn"};
    return stems;
}
