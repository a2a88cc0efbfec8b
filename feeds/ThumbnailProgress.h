#pragma once
// How far the chart downloads of a refresh have come, for a progress bar that
// the window shows beside the status text. The status texts are not touched.
namespace quarlen {

class IThumbnailProgress {
 public:
  virtual ~IThumbnailProgress() = default;
  // `done` of `total` charts are in; called with 0 before the first download
  // and with total after the last. total is at least 1.
  virtual void ShowThumbnailProgress(int done, int total) = 0;
  // The downloads are over (also after a failure); the bar goes away.
  virtual void HideThumbnailProgress() = 0;
};

}  // namespace quarlen
