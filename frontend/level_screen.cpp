#include "frontend/frontend.h"
#include "frontend/high_score_list.h"
#include "frontend/key_codes.h"
#include "frontend/level_result.h"
#include "frontend/list_navigation.h"

int Frontend::play_level() {
  const int level_count = static_cast<int>(levels.size());
  if (level_count == 0) return Screen::main_menu;

  const std::string hint = "\n\nPress Z or X to select level";
  ListNavigation list;

  if (!held(Key::escape)) {
    for (;;) {
      if (held(Key::z) || held(Key::x)) break;
      draw_list(60, list, levels, hint);
      show_frame(50);
      list.apply(keyboard, level_count);
      if (held(Key::escape)) break;
    }
  }

  if (held(Key::z) || held(Key::x)) {
    run_level(levels[list.selected()],
              [this](DataFile& level, bool fade_overlay, int hud_lives, platform::Sprite overlay,
                     const std::function<void(const GameResult&)>& finish) {
                Game game(gc, keyboard, window, level, fade_overlay, hud_lives, overlay);
                const GameResult result = game.run();
                finish(result);
              });
  }
  return Screen::main_menu;
}

void Frontend::run_level(const std::string& name, const AttemptRunner& play_attempt) {
  DataFile level;
  level.load_level(name + ".qel");

  // The list as last drawn: the first attempt fades in from it.
  platform::GraphicContext window_gc = window.get_gc();
  const platform::PixelBuffer picture = window_gc.get_pixeldata(platform::Rect(0, 0, 0, 0));
  snapshot_frames = platform::SpriteDescription();
  snapshot_frames.add_frame(picture);
  snapshot = platform::Sprite(gc, snapshot_frames);

  menu_music_session.stop();

  int lives = 3;
  const auto lives_slot = level.current.find("lives");
  if (lives_slot != level.current.end() && lives_slot->second.set) lives = level.get_int("lives");

  int total = 0;
  std::vector<int> attempt_scores;
  bool won = false;
  bool first_attempt = true;
  platform::Font headline_font(gc, "Verdana", 40);
  platform::Font score_font(gc, "Verdana", 34);
  const platform::Gradient result_gradient(platform::Colorf::from_bytes(23, 95, 39),
                                           platform::Colorf::from_bytes(7, 56, 17));

  while (lives > 0) {
    if (held(Key::escape) || won) break;
    play_attempt(level, first_attempt, lives, snapshot, [&](const GameResult& result) {
      total = saturating_add(total, result.score);
      attempt_scores.push_back(result.score);
      const bool z_held_at_end = held(Key::z);
      if (result.won) {
        total = saturating_add(total, lives_bonus(lives));
        won = true;
      } else {
        --lives;
      }
      const LevelResultTexts texts = level_result_texts(attempt_scores, won, lives, total);
      show_result(texts.headline, texts.scores, texts.prompt, headline_font, score_font, result_gradient,
                  z_held_at_end);
      first_attempt = false;
    });
  }

  {
    HighScoreList high_scores(gc, keyboard, window);
    const std::string path = "high_scores/" + name + ".scr";
    high_scores.load(path);
    high_scores.add(total, profile_name);
    high_scores.save(path);
    high_scores.show();
  }
  menu_music_session.set_position(0);
  menu_music_session.play();
}

void Frontend::show_result(const std::string& headline, const std::string& scores, const std::string& prompt,
                           platform::Font& headline_font, platform::Font& score_font,
                           const platform::Gradient& result_gradient, bool z_held_at_end) {
  for (;;) {
    if (held(Key::z) && !z_held_at_end) return;
    if (held(Key::escape)) return;
    if (!held(Key::z)) z_held_at_end = false;
    platform::Draw::gradient_fill(gc, platform::Rectf(0, 0, 640, 480), result_gradient);
    headline_font.draw_text(gc, 230, 50, headline, text_colour);
    score_font.draw_text(gc, 230, 110, scores, text_colour);
    headline_font.draw_text(gc, 15, 440, prompt, text_colour);
    show_frame(50);
  }
}
