#pragma once
// A film of the hack's pictures (-record-animation): H.264 in MP4, yuv420p,
// 30 pictures a second, through FFmpeg's libavformat, libavcodec and
// libswscale. They are loaded when a recording starts, not linked, so that
// the hack runs where they are not installed (the package recommends them).
//
// The film is written beside its name, to a hidden file of its folder, and
// takes the name only once it is complete: a film stopped midway (or one
// that fails) leaves nothing under the name, and a film already there is
// replaced whole or not at all.
#include <memory>
#include <string>

class TFilm {
 public:
  TFilm();
  ~TFilm();  // an unfinished film's file is removed
  TFilm(const TFilm&) = delete;
  TFilm& operator=(const TFilm&) = delete;

  // Before any window: the libraries load, and `path` names no folder and
  // can be written beside. On false, `error` is one line to show.
  bool Prepare(const std::string& path, std::string& error);
  // The film's size: `width` x `height` rounded down to even.
  bool Begin(int width, int height, std::string& error);
  // One picture of `width` x `height` RGB pixels, its rows from the bottom
  // up as glReadPixels reads them; scaled to the film's size when it is
  // another.
  bool Add(const unsigned char* rgb, int width, int height, std::string& error);
  // The pictures still in the encoder, the file's end, and its name.
  bool Finish(std::string& error);

  int Width() const;
  int Height() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};
