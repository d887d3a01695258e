// The one error a scene file can cause: it names the file, the place in it and the problem.
#pragma once

#include <stdexcept>
#include <string>

namespace sim {

class SceneFileError : public std::runtime_error {
 public:
  // `place` is a JSON pointer ("/nodes/3/transform"), a line and column, or empty for the file as a
  // whole. The message reads "file: place: problem".
  SceneFileError(std::string file, std::string place, std::string problem);

  const std::string& File() const { return file_; }
  const std::string& Place() const { return place_; }
  const std::string& Problem() const { return problem_; }

 private:
  std::string file_;
  std::string place_;
  std::string problem_;
};

}  // namespace sim
