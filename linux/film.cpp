#include "linux/film.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int kRate = 30;  // pictures a second

// The four libraries by the major version the hack was built against: the
// file dlopen looks for, and Debian's package of it (lib<name><major>).
struct TLibrary {
  const char* Name;
  int Major;
};
constexpr TLibrary kLibraries[] = {{"avutil", LIBAVUTIL_VERSION_MAJOR},
                                   {"avcodec", LIBAVCODEC_VERSION_MAJOR},
                                   {"avformat", LIBAVFORMAT_VERSION_MAJOR},
                                   {"swscale", LIBSWSCALE_VERSION_MAJOR}};
enum { kAvutil, kAvcodec, kAvformat, kSwscale };

std::string FileOf(const TLibrary& l) { return "lib" + std::string(l.Name) + ".so." + std::to_string(l.Major); }
std::string PackageOf(const TLibrary& l) { return "lib" + std::string(l.Name) + std::to_string(l.Major); }

// Every function the film calls, with the library it is in.
#define SPIRALIS_FILM_FUNCTIONS(X)                                                                          \
  X(kAvutil, av_frame_alloc) X(kAvutil, av_frame_free) X(kAvutil, av_frame_get_buffer)                     \
  X(kAvutil, av_frame_make_writable) X(kAvutil, av_dict_set) X(kAvutil, av_dict_free) X(kAvutil, av_strerror) \
  X(kAvutil, av_log_set_level) X(kAvutil, av_opt_set)                                                        \
  X(kAvcodec, avcodec_find_encoder_by_name) X(kAvcodec, avcodec_find_encoder)                              \
  X(kAvcodec, avcodec_alloc_context3) X(kAvcodec, avcodec_open2) X(kAvcodec, avcodec_parameters_from_context) \
  X(kAvcodec, avcodec_send_frame) X(kAvcodec, avcodec_receive_packet) X(kAvcodec, avcodec_free_context)     \
  X(kAvcodec, av_packet_alloc) X(kAvcodec, av_packet_free) X(kAvcodec, av_packet_rescale_ts)               \
  X(kAvformat, avformat_alloc_output_context2) X(kAvformat, avformat_new_stream) X(kAvformat, avio_open)    \
  X(kAvformat, avformat_write_header) X(kAvformat, av_interleaved_write_frame)                             \
  X(kAvformat, av_write_trailer) X(kAvformat, avio_closep) X(kAvformat, avformat_free_context)              \
  X(kSwscale, sws_getCachedContext) X(kSwscale, sws_scale) X(kSwscale, sws_freeContext)

struct TFunctions {
#define SPIRALIS_FILM_FIELD(library, name) decltype(&::name) name = nullptr;
  SPIRALIS_FILM_FUNCTIONS(SPIRALIS_FILM_FIELD)
#undef SPIRALIS_FILM_FIELD
};

// The libraries, loaded once for the process (and never unloaded: their
// threads may outlive a film). An empty text when all four load, else the
// one line that names the packages to install.
std::string LoadLibraries(TFunctions& f) {
  void* handles[4] = {};
  std::string missing;
  for (int i = 0; i < 4; ++i) {
    handles[i] = dlopen(FileOf(kLibraries[i]).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handles[i]) missing += (missing.empty() ? "" : " ") + PackageOf(kLibraries[i]);
  }
  if (!missing.empty())
    return "-record-animation needs FFmpeg's libraries: install " + missing + " (apt install " + missing + ")";
  std::string absent;
#define SPIRALIS_FILM_LOAD(library, name)                                           \
  f.name = reinterpret_cast<decltype(&::name)>(dlsym(handles[library], #name));    \
  if (!f.name) absent += (absent.empty() ? "" : ", ") + std::string(#name);
  SPIRALIS_FILM_FUNCTIONS(SPIRALIS_FILM_LOAD)
#undef SPIRALIS_FILM_LOAD
  return absent.empty() ? "" : "FFmpeg's libraries here lack " + absent;
}

std::string Describe(const char* what, int code, const TFunctions& f) {
  char text[AV_ERROR_MAX_STRING_SIZE] = "";
  f.av_strerror(code, text, sizeof text);
  return std::string(what) + ": " + text;
}

// The path of a hidden file beside `path` ("dir/.name.XXXXXX"), made empty.
bool MakeBeside(const std::string& path, std::string& beside, int& error) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string pattern = folder + "." + path.substr(folder.size()) + ".XXXXXX";
  const int fd = mkstemp(&pattern[0]);
  if (fd < 0) {
    error = errno;
    return false;
  }
  // As a file made by name would be: mkstemp makes it for its owner alone.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  beside = pattern;
  return true;
}

}  // namespace

struct TFilm::TImpl {
  TFunctions F;
  std::string Path, Beside;  // the film's name, and the file written beside it
  AVFormatContext* Format = nullptr;
  AVCodecContext* Codec = nullptr;
  AVStream* Stream = nullptr;
  AVFrame* Frame = nullptr;
  AVPacket* Packet = nullptr;
  SwsContext* Scale = nullptr;
  std::int64_t Pictures = 0;
  bool Finished = false;

  ~TImpl() {
    if (Codec) F.avcodec_free_context(&Codec);
    if (Frame) F.av_frame_free(&Frame);
    if (Packet) F.av_packet_free(&Packet);
    if (Scale) F.sws_freeContext(Scale);
    if (Format) {
      if (Format->pb) F.avio_closep(&Format->pb);
      F.avformat_free_context(Format);
    }
    if (!Beside.empty() && !Finished) unlink(Beside.c_str());
  }

  // The packets the encoder has ready, into the file.
  bool Drain(std::string& error) {
    for (;;) {
      const int got = F.avcodec_receive_packet(Codec, Packet);
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
      if (got < 0) return error = Describe("encoding", got, F), false;
      F.av_packet_rescale_ts(Packet, Codec->time_base, Stream->time_base);
      Packet->stream_index = Stream->index;
      const int wrote = F.av_interleaved_write_frame(Format, Packet);
      if (wrote < 0) return error = Describe(("writing " + Path).c_str(), wrote, F), false;
    }
  }

  bool OpenEncoder(int width, int height, std::string& error) {
    const AVCodec* codec = F.avcodec_find_encoder_by_name("libx264");
    if (!codec) codec = F.avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec) return error = "FFmpeg's libavcodec here has no H.264 encoder", false;
    Codec = F.avcodec_alloc_context3(codec);
    Stream = F.avformat_new_stream(Format, nullptr);
    Frame = F.av_frame_alloc();
    Packet = F.av_packet_alloc();
    if (!Codec || !Stream || !Frame || !Packet) return error = "out of memory for the film", false;
    Codec->width = width, Codec->height = height;
    Codec->pix_fmt = AV_PIX_FMT_YUV420P;
    Codec->time_base = {1, kRate};
    Codec->framerate = {kRate, 1};
    // What swscale's conversion gives, said so that players read it back alike.
    Codec->colorspace = AVCOL_SPC_SMPTE170M;
    Codec->color_range = AVCOL_RANGE_MPEG;
    if (Format->oformat->flags & AVFMT_GLOBALHEADER) Codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // One thread: the encoder's threads decide by how they are timed, so
    // under load one seed's films differed.
    Codec->thread_count = 1;
    F.av_opt_set(Codec->priv_data, "preset", "veryfast", 0);
    F.av_opt_set(Codec->priv_data, "crf", "18", 0);
    int status = F.avcodec_open2(Codec, codec, nullptr);
    if (status < 0) return error = Describe("the H.264 encoder", status, F), false;
    status = F.avcodec_parameters_from_context(Stream->codecpar, Codec);
    if (status < 0) return error = Describe("the H.264 encoder", status, F), false;
    Stream->time_base = Codec->time_base;
    Frame->format = Codec->pix_fmt;
    Frame->width = width, Frame->height = height;
    status = F.av_frame_get_buffer(Frame, 0);
    return status >= 0 || (error = Describe("the film's pictures", status, F), false);
  }
};

TFilm::TFilm() = default;
TFilm::~TFilm() = default;

int TFilm::Width() const { return impl_ && impl_->Codec ? impl_->Codec->width : 0; }
int TFilm::Height() const { return impl_ && impl_->Codec ? impl_->Codec->height : 0; }

bool TFilm::Prepare(const std::string& path, std::string& error) {
  impl_ = std::make_unique<TImpl>();
  impl_->Path = path;
  error = LoadLibraries(impl_->F);
  if (!error.empty()) return false;
  impl_->F.av_log_set_level(AV_LOG_ERROR);
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return error = "-record-file " + path + " is a folder: give a file's path", false;
  int failed = 0;
  if (!MakeBeside(path, impl_->Beside, failed))
    return error = "cannot write " + path + ": " + std::strerror(failed), false;
  return true;
}

bool TFilm::Begin(int width, int height, std::string& error) {
  TImpl& m = *impl_;
  width &= ~1, height &= ~1;
  if (width < 2 || height < 2) return error = "the window is too small to record", false;
  // "file:" so that a name with a colon is not read as a protocol's; the
  // muxer opens it again at the end to move its index to the front.
  const std::string url = "file:" + m.Beside;
  int status = m.F.avformat_alloc_output_context2(&m.Format, nullptr, "mp4", url.c_str());
  if (status < 0) return error = Describe("the MP4 muxer", status, m.F), false;
  if (!m.OpenEncoder(width, height, error)) return false;
  status = m.F.avio_open(&m.Format->pb, url.c_str(), AVIO_FLAG_WRITE);
  if (status < 0) return error = Describe(("writing " + m.Path).c_str(), status, m.F), false;
  AVDictionary* options = nullptr;
  m.F.av_dict_set(&options, "movflags", "+faststart", 0);  // playable while it downloads
  status = m.F.avformat_write_header(m.Format, &options);
  m.F.av_dict_free(&options);
  return status >= 0 || (error = Describe(("writing " + m.Path).c_str(), status, m.F), false);
}

bool TFilm::Add(const unsigned char* rgb, int width, int height, std::string& error) {
  TImpl& m = *impl_;
  m.Scale = m.F.sws_getCachedContext(m.Scale, width, height, AV_PIX_FMT_RGB24, m.Codec->width, m.Codec->height,
                                     AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!m.Scale) return error = "no conversion of the pictures for the film", false;
  const int status = m.F.av_frame_make_writable(m.Frame);
  if (status < 0) return error = Describe("the film's pictures", status, m.F), false;
  // The rows from the top down: the last row read first, stepping back.
  const std::uint8_t* rows[1] = {rgb + static_cast<std::size_t>(height - 1) * width * 3};
  const int stride[1] = {-3 * width};
  m.F.sws_scale(m.Scale, rows, stride, 0, height, m.Frame->data, m.Frame->linesize);
  m.Frame->pts = m.Pictures++;
  const int sent = m.F.avcodec_send_frame(m.Codec, m.Frame);
  if (sent < 0) return error = Describe("encoding", sent, m.F), false;
  return m.Drain(error);
}

bool TFilm::Finish(std::string& error) {
  TImpl& m = *impl_;
  const int sent = m.F.avcodec_send_frame(m.Codec, nullptr);
  if (sent < 0) return error = Describe("encoding", sent, m.F), false;
  if (!m.Drain(error)) return false;
  int status = m.F.av_write_trailer(m.Format);
  if (status < 0) return error = Describe(("writing " + m.Path).c_str(), status, m.F), false;
  status = m.F.avio_closep(&m.Format->pb);
  if (status < 0) return error = Describe(("writing " + m.Path).c_str(), status, m.F), false;
  if (rename(m.Beside.c_str(), m.Path.c_str()) != 0)
    return error = "cannot write " + m.Path + ": " + std::strerror(errno), false;
  m.Finished = true;
  return true;
}
