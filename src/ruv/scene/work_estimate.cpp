#include "ruv/scene/work_estimate.h"

#include "ruv/animation/clip_span.h"
#include "ruv/animation/key_times.h"
#include "ruv/core/export_context.h"
#include "ruv/core/modifier_queries.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

std::uint32_t AnimationWork(const ExportContext& context, const XNode& node) {
  if (gExportOptions.KeyFrames) {
    std::uint32_t keyTimes = CountKeyTimes(context, node);
    if (keyTimes >= 1) return keyTimes;
  }
  return AnimationSampleCount(context);
}

std::uint32_t GeometryWork(const ExportContext& context, XNode& node) {
  auto* renderable = AsRenderable(&node);
  std::uint32_t faces = 0, vertices = 0;
  if (renderable && renderable->mesh) {
    faces = static_cast<std::uint32_t>(renderable->mesh->getNumFaces());
    vertices = static_cast<std::uint32_t>(renderable->mesh->getNumVerts());
  }
  std::uint32_t skin = gExportOptions.Skin && HasSkinModifier(node.hostNode) ? faces : 0;
  std::uint32_t work = skin + faces;
  if (skin >= 1 && renderable && renderable->pointOrderDiffers) {
    if (node.kind == KindPatch) {
      work += faces + vertices;
    } else if (node.kind == KindSurface) {
      work += static_cast<std::uint32_t>(renderable->objectPointCount) + 2 * vertices;
    } else {
      work += 2 * vertices;
    }
  }
  // A skinned mesh without children is moved by its bones and gets no animation of its own.
  bool skinnedLeaf = skin >= 1 && node.hostNode->NumberOfChildren() == 0;
  if (gExportOptions.Animation && !skinnedLeaf) work += AnimationWork(context, node);
  return work;
}

}  // namespace

std::uint32_t AnimationSampleCount(const ExportContext& context) {
  if (!gExportOptions.Animation || context.ticksPerSample <= 0) return 0;
  std::uint32_t samples = 0;
  for (const AnimationClip& clip : gAnimationClips) {
    // A clip that ends before it starts is passed over by the extraction too.
    if (std::optional<ClipSpan> span = ClipSpanOf(clip, context.ticksPerFrame)) {
      samples += span->duration / static_cast<std::uint32_t>(context.ticksPerSample) + 1;
    }
  }
  return samples;
}

void AddNodeWork(ExportContext* context, XNode* node) {
  for (XNode* current = node; current; current = current->parent) {
    if (!current->counted) {
      std::uint32_t before = context->workTotal;
      if (current->hasGeometry) {
        context->workTotal += GeometryWork(*context, *current);
      } else if (gExportOptions.Animation) {
        context->workTotal += AnimationWork(*context, *current);
      }
      if (context->workTotal > before) current->counted = true;
    }
    if (gExportOptions.WorldSpace) return;
  }
}
