#pragma once

#include "core/services/UpdateCheckPresenter.h"

#include <vector>

namespace tavrilux::fakes {

class FakeUpdateCheckPresenter final : public UpdateCheckPresenter {
public:
    void present(const UpdateCheckOutcome& outcome) override { shown.push_back(outcome); }
    std::vector<UpdateCheckOutcome> shown;
};

} // namespace tavrilux::fakes
