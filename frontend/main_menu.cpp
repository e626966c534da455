#include "frontend/credits_slide.h"
#include "frontend/frontend.h"
#include "frontend/key_codes.h"

namespace {

constexpr int menu_entries = 4;

// The four sliding cards, then the closing one.
constexpr const char* credits_cards[credits_phase_count + 1] = {"game_data/CSarvel.png", "game_data/COrvik.png",
                                                                "game_data/CTolvar.png", "game_data/Drumvelt.png",
                                                                "game_data/Special.png"};

}  // namespace

int Frontend::main_menu() {
  const std::string menu = "Play level\nSelect profile\nCredits\nExit\n";
  const std::string hint = "\n\nPress Z or X to select";
  int row = 0;
  int last_key = 0;

  while (!held(Key::escape)) {
    if (held(Key::z) || held(Key::x)) break;
    background.draw(gc, 0, 0);
    big_font.draw_text(gc, 290, 260, menu, text_colour);
    big_font.draw_text(gc, 140, 360, hint, text_colour);
    small_font.draw_text(gc, 230, 470, web_address, text_colour);
    small_font.draw_text(gc, 600, 470, version, text_colour);
    selector.update();
    selector.draw(gc, 200, 220 + 40 * row);
    show_frame(50);

    if (last_key != 0 && held(last_key)) continue;
    last_key = 0;
    if (held(Key::down)) {
      last_key = Key::down;
      row = (row + 1) % menu_entries;
    }
    if (held(Key::up)) {
      last_key = Key::up;
      row = (row + menu_entries - 1) % menu_entries;
    }
  }

  if (held(Key::escape)) quit = true;
  if (held(Key::z) || held(Key::x)) {
    switch (row) {
      case 0: return Screen::level_select;
      case 1: return Screen::profile_select;
      case 2: return Screen::credits;
      default:
        quit = true;
        return Screen::main_menu;
    }
  }
  return Screen::profile_select;
}

int Frontend::credits() {
  // The cards are held together, so they are bounded together, like one sprite's frames.
  const platform::SpriteDescription pictures = platform::SpriteDescription::from_pictures(
      std::vector<std::string>(std::begin(credits_cards), std::end(credits_cards)), "game_data/");
  std::vector<platform::Sprite> cards;
  for (const platform::PixelBuffer& picture : pictures.frames()) {
    platform::SpriteDescription card;
    card.add_frame(picture);
    cards.emplace_back(gc, card);
  }
  platform::Sprite& closing = cards.back();

  const platform::Gradient credits_gradient(platform::Colorf(0.03f, 0.37f, 0.15f),
                                            platform::Colorf(0.1f, 0.22f, 0.07f));
  for (int phase = 0; phase < credits_phase_count; ++phase) {
    for (int x : credits_slide_positions(phase)) {
      platform::Draw::gradient_fill(gc, platform::Rectf(0, 0, 640, 480), credits_gradient);
      cards[phase].draw(gc, x, 0);
      show_frame(25);
    }
  }
  closing.draw(gc, credits_closing_x, 0);
  window.flip(-1);
  platform::System::sleep(2500);
  platform::KeepAlive::process(0);
  return Screen::main_menu;
}
