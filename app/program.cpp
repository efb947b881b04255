#include "app/program.h"

#include <exception>

#include "app/form1.h"

namespace horalux {

int RunProgram(TApplication& application,
               const std::function<std::unique_ptr<TForm1View>()>& makeWindow,
               TForm1Environment environment) {
  application.SetTitle("Horalux");
  environment.title = application.Title();
  try {
    const std::unique_ptr<TForm1View> window = makeWindow();
    TForm1 form(*window, std::move(environment));
    return application.Run();
  } catch (const std::exception& error) {
    // Nothing caught it on the way: the window could not even be built.
    application.ShowException(error);
    return 1;
  }
}

}  // namespace horalux
