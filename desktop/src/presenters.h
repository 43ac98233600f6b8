// presenters.h — the two presenters behind desktop::Presenter.
#pragma once

#include <memory>

#include "desktop/presenter.h"

struct SDL_Window;

namespace desktop {

// Our own scaler into the window's surface. Null when SDL gives no surface.
std::unique_ptr<Presenter> CreateSoftwarePresenter(SDL_Window* window);
// SDL's accelerated renderer. Null when there is none.
std::unique_ptr<Presenter> CreateGpuPresenter(SDL_Window* window);

}  // namespace desktop
