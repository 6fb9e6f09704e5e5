#pragma once
// How far the glow's working worlds reach beyond the layer, and how many of them a render holds
// at once: the render sizes its worlds by these, and tools outside the host plan a frame's
// memory by the same numbers.

namespace velmora {

// How much the edge-extended worlds grow for a radius r: the smallest multiple of 64 that is
// not below r, counted in single precision as the glow is designed (docs/render.md, "Kept on
// purpose"). Radius 0 gives -1, which nothing uses since such a render passes the input through.
constexpr long PadSize(float r) {
  long pad = static_cast<long>(r - 1.0f);
  for (long k = 0; r > static_cast<float>(k);) {
    k += 64;
    pad = k;
  }
  return pad;
}

// The pad a render at these controls adds to each side's total: none unless the edge pixels
// are repeated.
constexpr long EdgePad(bool repeat_edges, long radius) {
  return repeat_edges && radius > 0 ? PadSize(static_cast<float>(radius)) : 0;
}

// Working worlds alive together at the render's peak: the effect's source world at the layer's
// size, and the glow, its source copy and the level being blurred at the padded size.
inline constexpr int kLayerSizedWorlds = 1;
inline constexpr int kGlowSizedWorlds = 3;

}  // namespace velmora
