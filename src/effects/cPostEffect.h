// Base of the post effects: owns the render target a scene draws into and
// redraws the captured picture in render(). Nothing here fails.
#pragma once

#include "effects/cRenderTarget.h"

class cPostEffect {
public:
  cPostEffect() : target(new cRenderTarget()) {}
  virtual ~cPostEffect() { delete target; }
  cPostEffect(const cPostEffect &) = delete;
  cPostEffect &operator=(const cPostEffect &) = delete;

  // Makes the target's texture; harmless to repeat.
  virtual void prepare() { target->create(); }
  virtual void render() = 0;

  cRenderTarget *target;
};
