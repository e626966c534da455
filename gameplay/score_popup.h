#pragma once

// A floating score text: the points an item was worth and the frames it has left.
struct ScorePopup {
  int points = 0;
  int time_to_live = 100;
};
