// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "monitor/monitor_state.h"
#include "tools/framed_surface.h"
#include "tools/svg_clock_surface.h"
#include "tray/clock_face.h"

namespace lotwarden {
namespace {

struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string Get(const std::string& key) const {
    for (const auto& [k, v] : attributes) {
      if (k == key) return v;
    }
    return "(absent)";
  }
  double Number(const std::string& key) const { return std::stod(Get(key)); }
};

// The drawing elements of a document, in order.
std::vector<Element> Elements(const std::string& document) {
  std::vector<Element> elements;
  const std::regex element(R"(<(circle|line|rect|path)\s([^>]*)/>)");
  const std::regex attribute(R"(([a-z0-9-]+)="([^"]*)\")");
  for (auto it = std::sregex_iterator(document.begin(), document.end(), element);
       it != std::sregex_iterator(); ++it) {
    Element e{(*it)[1], {}};
    const std::string body = (*it)[2];
    for (auto a = std::sregex_iterator(body.begin(), body.end(), attribute);
         a != std::sregex_iterator(); ++a) {
      e.attributes.emplace_back((*a)[1], (*a)[2]);
    }
    elements.push_back(e);
  }
  return elements;
}

struct HandsCase {
  int hour, minute;
  double minuteX, minuteY, hourX, hourY;
};

class SvgHands : public testing::TestWithParam<HandsCase> {};

// The face's known hand positions come out as SVG lines: circle first, then the minute hand
// and the hour hand over it, from the centre.
TEST_P(SvgHands, LinesEndWhereTheHandsPoint) {
  const HandsCase& c = GetParam();
  SvgClockSurface surface;
  DrawClockFace(surface, c.hour, c.minute, FaceFill::kGrey);
  const auto elements = Elements(surface.Document());
  ASSERT_EQ(elements.size(), 3u) << surface.Document();
  EXPECT_EQ(elements[0].name, "circle");
  EXPECT_DOUBLE_EQ(elements[0].Number("cx"), 160);
  EXPECT_DOUBLE_EQ(elements[0].Number("cy"), 162);
  EXPECT_DOUBLE_EQ(elements[0].Number("r"), 160);
  for (int i : {1, 2}) {
    EXPECT_EQ(elements[i].name, "line");
    EXPECT_DOUBLE_EQ(elements[i].Number("x1"), 160);
    EXPECT_DOUBLE_EQ(elements[i].Number("y1"), 162);
    EXPECT_EQ(elements[i].Get("stroke"), "#000000");
    EXPECT_EQ(elements[i].Get("stroke-linecap"), "butt");
  }
  EXPECT_NEAR(elements[1].Number("x2"), c.minuteX, 0.011);
  EXPECT_NEAR(elements[1].Number("y2"), c.minuteY, 0.011);
  EXPECT_NEAR(elements[2].Number("x2"), c.hourX, 0.011);
  EXPECT_NEAR(elements[2].Number("y2"), c.hourY, 0.011);
}

INSTANTIATE_TEST_SUITE_P(Minutes, SvgHands,
                         testing::Values(HandsCase{3, 0, 160.13, 2.00, 260.00, 162.08},
                                         HandsCase{9, 30, 159.97, 322.00, 63.43, 136.04},
                                         HandsCase{12, 0, 160.13, 2.00, 160.08, 62.00},
                                         HandsCase{21, 5, 240.10, 23.49, 60.10, 157.56},
                                         HandsCase{6, 45, 0.00, 162.01, 121.66, 254.36}));

// The mask colour is not painted: a grey face is see-through, a yellow one is filled; the
// outline keeps its grey, which is not the mask colour.
TEST(SvgClockSurface, AYellowFaceIsFilledAndTheMaskStaysUnpainted) {
  SvgClockSurface surface;
  for (const auto& [fill, paint] :
       {std::pair{FaceFill::kYellow, "#ffff00"}, std::pair{FaceFill::kGrey, "none"}}) {
    DrawClockFace(surface, 3, 0, fill);
    const auto elements = Elements(surface.Document());
    ASSERT_FALSE(elements.empty());
    EXPECT_EQ(elements[0].Get("fill"), paint);
    EXPECT_EQ(elements[0].Get("stroke"), "#808080");
  }
}

// Clear starts a new picture; the document always has the picture's side as its view box and
// the line width it was given.
TEST(SvgClockSurface, ClearStartsAfreshAndTheDocumentKeepsItsFrame) {
  SvgClockSurface surface(400, 20);
  surface.Line(0, 0, 10, 10);
  surface.Line(0, 0, 20, 20);
  EXPECT_EQ(Elements(surface.Document()).size(), 2u);
  surface.Clear();
  EXPECT_TRUE(Elements(surface.Document()).empty());
  surface.Line(1.25f, 2.5f, -3.5f, 0.004f);
  const std::string document = surface.Document();
  EXPECT_NE(document.find("viewBox=\"0 0 400 400\""), std::string::npos) << document;
  EXPECT_NE(document.find("width=\"400\" height=\"400\""), std::string::npos) << document;
  const auto elements = Elements(document);
  ASSERT_EQ(elements.size(), 1u);
  EXPECT_EQ(elements[0].Get("stroke-width"), "20");
  EXPECT_EQ(elements[0].Get("x1"), "1.25");
  EXPECT_EQ(elements[0].Get("y1"), "2.5");
  EXPECT_EQ(elements[0].Get("x2"), "-2.25");
  EXPECT_EQ(elements[0].Get("y2"), "2.5");
  EXPECT_EQ(document.rfind("</svg>\n"), document.size() - 7);
}

// The face's extent: the rim dominates, half a line beyond the circle on every side.
TEST(ExtentSurface, CoversTheFaceAndHalfItsLines) {
  ExtentSurface extent(15);
  DrawClockFace(extent, 6, 45, FaceFill::kGrey);
  EXPECT_FLOAT_EQ(extent.left(), -7.5f);
  EXPECT_FLOAT_EQ(extent.top(), -5.5f);
  EXPECT_FLOAT_EQ(extent.right(), 327.5f);
  EXPECT_FLOAT_EQ(extent.bottom(), 329.5f);
  extent.Clear();
  extent.Line(10, 20, 30, -5);
  EXPECT_FLOAT_EQ(extent.left(), 2.5f);
  EXPECT_FLOAT_EQ(extent.top(), 7.5f);
  EXPECT_FLOAT_EQ(extent.right(), 47.5f);
  EXPECT_FLOAT_EQ(extent.bottom(), 27.5f);
}

struct FrameCase {
  float side, margin, line;
};

class Framing : public testing::TestWithParam<FrameCase> {};

// Framed, the whole face lies inside the picture, a margin from every edge, centred, and as
// large as that allows; the hands keep their directions and proportions.
TEST_P(Framing, FaceFitsWholeAndCentred) {
  const FrameCase& c = GetParam();
  ExtentSurface extent(c.line);
  DrawClockFace(extent, 3, 0, FaceFill::kGrey);

  ExtentSurface framedExtent(c.line);
  framedExtent.Clear();
  FramedSurface onExtent(framedExtent, extent, c.side, c.margin);
  DrawClockFace(onExtent, 3, 0, FaceFill::kGrey);
  // The face is as wide as it is high, so it meets the margin on all four sides.
  EXPECT_NEAR(framedExtent.left(), c.margin, 0.01f);
  EXPECT_NEAR(framedExtent.top(), c.margin, 0.01f);
  EXPECT_NEAR(framedExtent.right(), c.side - c.margin, 0.01f);
  EXPECT_NEAR(framedExtent.bottom(), c.side - c.margin, 0.01f);

  SvgClockSurface svg(static_cast<int>(c.side), c.line);
  FramedSurface onSvg(svg, extent, c.side, c.margin);
  DrawClockFace(onSvg, 3, 0, FaceFill::kGrey);
  const auto elements = Elements(svg.Document());
  ASSERT_EQ(elements.size(), 3u);
  const double k = onSvg.scale();
  const double cx = elements[0].Number("cx");
  const double cy = elements[0].Number("cy");
  EXPECT_NEAR(elements[0].Number("r"), 160 * k, 0.01);
  // 3:00: the minute hand straight up to the rim, the hour hand to the right.
  EXPECT_NEAR(elements[1].Number("x2") - cx, 0.13 * k, 0.02);
  EXPECT_NEAR(elements[1].Number("y2") - cy, -160 * k, 0.02);
  EXPECT_NEAR(elements[2].Number("x2") - cx, 100 * k, 0.02);
  EXPECT_NEAR(elements[2].Number("y2") - cy, 0.08 * k, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Pictures, Framing,
                         testing::Values(FrameCase{330, 7.5f, 15}, FrameCase{330, 20.6f, 20.6f},
                                         FrameCase{330, 0, 15}, FrameCase{1000, 50, 4},
                                         FrameCase{100, 5, 30}));

}  // namespace
}  // namespace lotwarden
