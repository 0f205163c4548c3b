// varnok-configure-tool: configures a DTU over its configuration serial port.
#include "app/varnok_configure_tool_app.h"

int main(int argc, char **argv) {
  CVarnokConfigureToolApp app(argc, argv);
  return app.Run();
}
