#pragma once
// The colours of a tile image as CIE L*a*b* (taken through its palette, so
// two images that differ only in the order of their palette measure the
// same), and how strongly each pixel lies on the centre line of a thin
// feature of any colour.
//
// The line measure: the image is blurred at a few scales (Gaussian sigma 1
// to 6 pixels); at each scale and in each of the three colour channels the
// Hessian's eigenvalues λ1, λ2 (|λ1| ≥ |λ2|) give ||λ1| − |λ2||, large across
// a ridge or valley and small on edges' flanks, blobs and flat ground. The
// three channels' values are joined as a length, scaled by sigma² so that
// every scale answers alike for a line of its own width, and the strongest
// scale is kept. A band of width w answers most at sigma w / 2, and most at
// its centre.

#include <array>
#include <cstdint>
#include <vector>

#include "image/pcx.h"

namespace lorvane {

struct LabColour {
    float l = 0;
    float a = 0;
    float b = 0;
};

// The palette's colours (sRGB, D65 white) in L*a*b*.
std::array<LabColour, 256> PaletteLab(const std::array<PaletteColour, 256>& palette);

// The distance of two colours in L*a*b* (ΔE 1976).
float LabDistance(LabColour p, LabColour q);

// The blur scales (sigma, pixels) at which lines are measured.
inline constexpr std::array<float, 5> kLineScales{1.0f, 1.6f, 2.5f, 4.0f, 6.0f};

struct LineMeasure {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<float> strength;  // per pixel, line after line from the top; ΔE units
    std::vector<uint8_t> scale;   // per pixel, the index in kLineScales that answered most
};

// The line measure of every pixel of the image, whose colours in L*a*b*
// are `lab` (by colour index). Memory while it works: four float planes of
// the image's size.
LineMeasure MeasureLines(const PcxImage& image, const std::array<LabColour, 256>& lab);

}  // namespace lorvane
