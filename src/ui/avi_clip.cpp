#include "ui/avi_clip.h"

#include <algorithm>
#include <cstring>

namespace orvi::ui {
namespace {

uint32_t U32(std::string_view b, size_t at) {
  if (at + 4 > b.size()) return 0;
  return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint16_t U16(std::string_view b, size_t at) {
  if (at + 2 > b.size()) return 0;
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

struct Format {
  int width = 0;
  int height = 0;  // negative: top row first
  int bits = 0;
  std::vector<uint32_t> palette;
  bool ok = false;
};

struct Reader {
  std::string_view bytes;
  AviClip clip;
  Format format;
  bool video = false;   // the stream list being read is a video stream
  bool haveFormat = false;
  bool failed = false;

  // Walks the chunks of [begin, end).
  void Chunks(size_t begin, size_t end, int depth) {
    if (depth > 8) return;
    size_t at = begin;
    while (!failed && at + 8 <= end) {
      std::string_view id = bytes.substr(at, 4);
      uint32_t size = U32(bytes, at + 4);
      size_t body = at + 8;
      const bool list = id == "LIST" || id == "RIFF";
      if (size > end - body) {
        // A cut file keeps the whole frames before the cut.
        if (!list) {
          failed = clip.frames.empty();
          return;
        }
        size = static_cast<uint32_t>(end - body);
      }
      if (list) {
        if (size < 4) return;
        std::string_view type = bytes.substr(body, 4);
        if (type == "strl") video = false;
        if (type == "hdrl" || type == "strl" || type == "movi" || type == "rec " || type == "AVI ") {
          Chunks(body + 4, body + size, depth + 1);
        }
      } else if (id == "avih" && size >= 4) {
        uint32_t us = U32(bytes, body);
        clip.frameMs = static_cast<int>(std::clamp<uint32_t>(us / 1000, 10, 10000));
      } else if (id == "strh" && size >= 4) {
        video = bytes.substr(body, 4) == "vids";
      } else if (id == "strf" && video && !haveFormat) {
        haveFormat = true;
        ReadFormat(body, size);
      } else if (id.size() == 4 && (id.substr(2) == "db" || id.substr(2) == "dc")) {
        Frame(body, size);
      }
      at = body + size + (size & 1);  // chunks are padded to an even size
    }
  }

  void ReadFormat(size_t at, uint32_t size) {
    if (size < 40) return;
    uint32_t headerSize = U32(bytes, at);
    int32_t w = static_cast<int32_t>(U32(bytes, at + 4));
    int32_t h = static_cast<int32_t>(U32(bytes, at + 8));
    uint16_t bits = U16(bytes, at + 14);
    uint32_t compression = U32(bytes, at + 16);
    uint32_t used = U32(bytes, at + 32);
    if (compression != 0 || w <= 0 || h == 0 || w > kAviMaxSide || h < -kAviMaxSide || h > kAviMaxSide) return;
    if (bits != 8 && bits != 24 && bits != 32) return;
    format.width = w;
    format.height = h;
    format.bits = bits;
    if (bits == 8) {
      uint32_t colours = used == 0 || used > 256 ? 256 : used;
      if (headerSize < 40 || headerSize > size || (size - headerSize) / 4 < colours) return;
      for (uint32_t i = 0; i < colours; ++i) format.palette.push_back(0xFF000000u | (U32(bytes, at + headerSize + 4 * i) & 0xFFFFFF));
      format.palette.resize(256, 0xFF000000u);
    }
    format.ok = true;
    clip.width = w;
    clip.height = h < 0 ? -h : h;
  }

  void Frame(size_t at, uint32_t size) {
    if (!format.ok) return;
    const size_t w = static_cast<size_t>(clip.width), h = static_cast<size_t>(clip.height);
    const size_t stride = (w * static_cast<size_t>(format.bits) / 8 + 3) & ~size_t{3};
    if (size < stride * h) return;  // not a whole frame: skipped
    if ((clip.frames.size() + 1) * w * h > kAviMaxPixels) return;
    std::vector<uint32_t> pixels(w * h);
    for (size_t row = 0; row < h; ++row) {
      size_t source = format.height > 0 ? h - 1 - row : row;  // bottom-up unless the height is negative
      const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data() + at + source * stride);
      uint32_t* out = &pixels[row * w];
      for (size_t x = 0; x < w; ++x) {
        if (format.bits == 8) {
          out[x] = format.palette[p[x]];
        } else {
          size_t step = static_cast<size_t>(format.bits / 8);
          const unsigned char* px = p + x * step;
          out[x] = 0xFF000000u | uint32_t{px[2]} << 16 | uint32_t{px[1]} << 8 | px[0];
        }
      }
    }
    clip.frames.push_back(std::move(pixels));
  }
};

void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}
void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
// Appends a chunk whose body is made by fill, with its size and padding.
template <class F>
void Chunk(std::string& out, const char* id, F fill) {
  out.append(id, 4);
  size_t sizeAt = out.size();
  Put32(out, 0);
  size_t begin = out.size();
  fill(out);
  uint32_t size = static_cast<uint32_t>(out.size() - begin);
  std::string sizeBytes;
  Put32(sizeBytes, size);
  out.replace(sizeAt, 4, sizeBytes);
  if (size & 1) out.push_back('\0');
}

}  // namespace

AviClip ReadAviClip(std::string_view bytes) {
  Reader r{bytes, {}, {}};
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "AVI ") return {};
  size_t end = std::min<size_t>(bytes.size(), size_t{U32(bytes, 4)} + 8);
  r.Chunks(12, end, 0);
  if (r.failed || r.clip.frames.empty()) return {};
  return std::move(r.clip);
}

std::string WriteAviClip(const AviClip& clip) {
  const uint32_t w = static_cast<uint32_t>(clip.width), h = static_cast<uint32_t>(clip.height);
  const uint32_t stride = (w * 3 + 3) & ~3u;
  const uint32_t frameBytes = stride * h;
  const uint32_t count = static_cast<uint32_t>(clip.frames.size());
  const uint32_t us = static_cast<uint32_t>(clip.frameMs) * 1000;
  std::string out;
  Chunk(out, "RIFF", [&](std::string& riff) {
    riff.append("AVI ");
    Chunk(riff, "LIST", [&](std::string& hdrl) {
      hdrl.append("hdrl");
      Chunk(hdrl, "avih", [&](std::string& o) {
        for (uint32_t v : {us, frameBytes * 1000000u / std::max(us, 1u), 0u, 0x10u /* has index */, count, 0u, 1u,
                           frameBytes, w, h, 0u, 0u, 0u, 0u}) {
          Put32(o, v);
        }
      });
      Chunk(hdrl, "LIST", [&](std::string& strl) {
        strl.append("strl");
        Chunk(strl, "strh", [&](std::string& o) {
          o.append("vids");
          o.append("DIB ");
          for (uint32_t v : {0u, 0u, 0u, 1000u, 1000000u / std::max(us, 1u) * 1000u, 0u, count, frameBytes,
                             0xFFFFFFFFu, 0u}) {
            Put32(o, v);
          }
          for (uint16_t v : {uint16_t{0}, uint16_t{0}, static_cast<uint16_t>(w), static_cast<uint16_t>(h)}) Put16(o, v);
        });
        Chunk(strl, "strf", [&](std::string& o) {
          for (uint32_t v : {40u, w, h}) Put32(o, v);
          Put16(o, 1);
          Put16(o, 24);
          for (uint32_t v : {0u, frameBytes, 0u, 0u, 0u, 0u}) Put32(o, v);
        });
      });
    });
    Chunk(riff, "LIST", [&](std::string& movi) {
      movi.append("movi");
      for (const auto& frame : clip.frames) {
        Chunk(movi, "00db", [&](std::string& o) {
          for (uint32_t row = h; row-- > 0;) {  // bottom-up
            size_t begin = o.size();
            for (uint32_t x = 0; x < w; ++x) {
              uint32_t px = frame[row * w + x];
              o.push_back(static_cast<char>(px & 0xFF));
              o.push_back(static_cast<char>(px >> 8 & 0xFF));
              o.push_back(static_cast<char>(px >> 16 & 0xFF));
            }
            o.append(stride - (o.size() - begin), '\0');
          }
        });
      }
    });
    Chunk(riff, "idx1", [&](std::string& o) {
      uint32_t offset = 4;
      for (uint32_t i = 0; i < count; ++i) {
        o.append("00db");
        for (uint32_t v : {0x10u /* key frame */, offset, frameBytes}) Put32(o, v);
        offset += 8 + frameBytes + (frameBytes & 1);
      }
    });
  });
  return out;
}

}  // namespace orvi::ui
