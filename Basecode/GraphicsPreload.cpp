#include "GraphicsPreload.h"

#include "GLBinding.h"
#include "GLContext.h"

#include <exception>
#include <string>
#include <thread>
#include <utility>

namespace {

struct Preload {
    std::thread worker;
    std::exception_ptr failure;
    // A program that ends before the window joined (a start-up failure) still waits for it.
    ~Preload()
    {
        if (worker.joinable())
            worker.join();
    }
};

Preload& State()
{
    static Preload preload;
    return preload;
}

} // namespace

void StartGraphicsPreload(const char* glName, const char* gluName)
{
    Preload& p = State();
    if (p.worker.joinable())
        return;
    p.worker = std::thread([&p, gl = std::string(glName ? glName : ""), glu = std::string(gluName ? gluName : "")] {
        try {
            LoadGraphicsLibraries(gl.c_str(), glu.c_str());
            // The display stays initialised for the process; the driver it loaded is what the
            // window's own display uses.
            ReleaseDeviceContext(OpenDeviceContext(WindowSystem::Headless, nullptr));
        } catch (...) {
            p.failure = std::current_exception();
        }
    });
}

bool JoinGraphicsPreload()
{
    Preload& p = State();
    if (!p.worker.joinable())
        return false;
    p.worker.join();
    if (std::exception_ptr failure = std::exchange(p.failure, nullptr))
        std::rethrow_exception(failure);
    return true;
}
