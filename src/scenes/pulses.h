// Beat pulse shapes over a span of milliseconds. Pure; nothing fails.
#pragma once

// 1 at d = 0 falling smoothly to 0 at d = span: (1 + cos(pi d / span)) / 2
// for 0 <= d < span, 0 elsewhere.
float pulse_fall(float d, float span);
// 0 at d = 0, 1 at span / 2, back to 0 at span: (1 - cos(2 pi d / span)) / 2
// for 0 <= d < span, 0 elsewhere.
float pulse_rise_fall(float d, float span);
