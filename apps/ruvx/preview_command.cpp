// `ruvx preview FILE.x [-o OUT.png]`: draws the file as a DirectX application would show it.
#include <charconv>
#include <iostream>
#include <memory>
#include <new>
#include <string>

#include "commands.h"
#include "exit_status.h"
#include "preview/render_error.h"
#include "preview/renderer.h"
#include "preview/scene_reader.h"
#include "xof/file_reader.h"

namespace ruvx {
namespace {

constexpr int kMaxSide = 8192;

struct PreviewArguments {
  std::string file;
  std::string output;
  std::string view = "three-quarter";
  std::string size = "800x600";
  std::optional<double> time;
  bool grid = true;
  bool wire = false;
  bool sheet = false;
};

// "800x600" into its two sides; false unless both are whole numbers from 1 to kMaxSide.
bool ParseSize(const std::string& text, int& width, int& height) {
  std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  auto number = [](std::string_view digits, int& value) {
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && value >= 1 &&
           value <= kMaxSide;
  };
  std::string_view all(text);
  return number(all.substr(0, x), width) && number(all.substr(x + 1), height);
}

std::string DefaultOutput(const std::string& file) {
  std::filesystem::path path(file);
  return path.replace_extension(".png").string();
}

int RunPreview(const PreviewArguments& arguments) {
  preview::RenderOptions options;
  ParseSize(arguments.size, options.width, options.height);
  options.view = *preview::ParseView(arguments.view);
  options.time = arguments.time;
  options.grid = arguments.grid;
  options.wire = arguments.wire;
  options.sheet = arguments.sheet;

  xof::ReadResult read = xof::ReadXFileAt(arguments.file);
  if (!read.ok()) {
    std::cerr << "ruvx preview: " << arguments.file << ": " << read.Describe() << '\n';
    return kExitBadInput;
  }
  std::filesystem::path folder = std::filesystem::path(arguments.file).parent_path();
  preview::PreviewScene scene = preview::ReadPreviewScene(*read.document, folder);
  if (arguments.time && scene.animations.empty()) {
    scene.warnings.push_back("the file holds no animation; --time changes nothing");
  }
  preview::Image image;
  try {
    image = preview::RenderScene(scene, options, scene.warnings);
  } catch (const preview::RenderError& failure) {
    std::cerr << "ruvx preview: " << failure.what() << '\n';
    return kExitNothingWritten;
  } catch (const std::bad_alloc&) {
    std::cerr << "ruvx preview: not enough memory to draw a " << options.width << "x"
              << options.height << (options.sheet ? " sheet" : " picture") << '\n';
    return kExitNothingWritten;
  }
  for (const std::string& warning : scene.warnings) {
    std::cerr << "ruvx preview: " << arguments.file << ": " << warning << '\n';
  }
  std::string output = arguments.output.empty() ? DefaultOutput(arguments.file) : arguments.output;
  if (!preview::WritePng(output, image)) {
    std::cerr << "ruvx preview: cannot write " << output << '\n';
    return kExitWriteFailed;
  }
  std::cout << "ruvx preview: wrote " << output << " (" << image.width << "x" << image.height
            << ")\n";
  return kExitSuccess;
}

}  // namespace

void AddPreviewCommand(CLI::App& app, int& exitStatus) {
  auto arguments = std::make_shared<PreviewArguments>();
  CLI::App* command =
      app.add_subcommand("preview", "Draw a .x file to a PNG picture, as DirectX would show it");
  command->add_option("file", arguments->file, "the .x file (text, binary or compressed)")
      ->required();
  command->add_option("-o,--output", arguments->output,
                      "the PNG to write (default: the .x file's name with .png)");
  command->add_option("--view", arguments->view, "where the camera looks from")
      ->check(CLI::IsMember({"three-quarter", "front", "back", "left", "right", "top", "iso"}))
      ->capture_default_str();
  command->add_option("--size", arguments->size, "picture size in pixels, WIDTHxHEIGHT")
      ->check(
          [](const std::string& text) {
            int width = 0, height = 0;
            return ParseSize(text, width, height)
                       ? std::string()
                       : "expected WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxSide);
          },
          "WxH")
      ->capture_default_str();
  command->add_option("--time", arguments->time,
                      "pose skinned and animated files at this time, in ticks");
  command->add_flag("--grid,!--no-grid", arguments->grid, "draw the ground grid (default on)");
  command->add_flag("--wire", arguments->wire, "draw the triangles' edges over the surfaces");
  command->add_flag("--sheet", arguments->sheet,
                    "six views (front, back, left, right, top, iso) on one picture");
  command->callback([arguments, &exitStatus] { exitStatus = RunPreview(*arguments); });
}

}  // namespace ruvx
