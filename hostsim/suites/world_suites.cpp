// "AEGP World Suite" 3 and "PF World Suite" 2: the effect's own worlds, their descriptions,
// pixel formats, and the fast blur. AEGP worlds live in the host's WorldStore; an AEGP_WorldH
// is the World* itself.

#include <string>

#include "hostsim/image/fast_blur.h"
#include "hostsim/serve.h"
#include "hostsim/suites/image_suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim::suites {
namespace {

World* WorldOf(AEGP_WorldH handle) {
  // Through the live registry, so a stale or foreign handle is refused, not followed.
  PF_EffectWorld probe{};
  probe.reserved0 = reinterpret_cast<World*>(handle);
  return WorldStore::Of(&probe);
}

AEGP_WorldH HandleOf(World* world) {
  return reinterpret_cast<AEGP_WorldH>(world);
}

// A size the world store refused, in words for whoever reports the failure.
PF_Err RefuseWorldSize(HostServices& host, const char* op, A_long width, A_long height) {
  RecordRefusal(host, op, PF_Err_BAD_CALLBACK_PARAM,
                "a " + std::to_string(width) + " x " + std::to_string(height) +
                    " world is refused (sides from 0 to " + std::to_string(kMaxWorldSide) +
                    " pixels)");
  return PF_Err_BAD_CALLBACK_PARAM;
}

A_Err New(AEGP_PluginID, AEGP_WorldType type, A_long width, A_long height,
          AEGP_WorldH* world_handle) {
  return Serve(
      "AEGP_New",
      [&](HostCall& call) {
        call.world_type = type;
        call.width = width;
        call.height = height;
      },
      [&](HostServices& host) -> PF_Err {
        const std::optional<Depth> depth = DepthOfWorldType(type);
        if (world_handle == nullptr || !depth) return PF_Err_BAD_CALLBACK_PARAM;
        *world_handle = nullptr;
        World* created = host.worlds.Create(*depth, width, height);
        if (created == nullptr) return RefuseWorldSize(host, "AEGP_New", width, height);
        *world_handle = HandleOf(created);
        return PF_Err_NONE;
      });
}

A_Err Dispose(AEGP_WorldH world_handle) {
  return Serve<OnFault::kRunAnyway>(
      "AEGP_Dispose", [&](HostCall& call) { call.dst_world = WorldOf(world_handle); },
      [&](HostServices& host) { return host.worlds.Dispose(WorldOf(world_handle)); });
}

A_Err GetType(AEGP_WorldH world_handle, AEGP_WorldType* type) {
  return Serve(
      "AEGP_GetType", [&](HostCall& call) { call.src_world = WorldOf(world_handle); },
      [&](HostServices&) -> PF_Err {
        const World* world = WorldOf(world_handle);
        if (world == nullptr || type == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        *type = static_cast<AEGP_WorldType>(world->depth);
        return PF_Err_NONE;
      });
}

A_Err GetSize(AEGP_WorldH world_handle, A_long* width, A_long* height) {
  return Serve(
      "AEGP_GetSize", [&](HostCall& call) { call.src_world = WorldOf(world_handle); },
      [&](HostServices&) -> PF_Err {
        const World* world = WorldOf(world_handle);
        if (world == nullptr || width == nullptr || height == nullptr) {
          return PF_Err_BAD_CALLBACK_PARAM;
        }
        *width = world->width();
        *height = world->height();
        return PF_Err_NONE;
      });
}

A_Err GetRowBytes(AEGP_WorldH world_handle, A_u_long* rowbytes) {
  return Serve(
      "AEGP_GetRowBytes", [&](HostCall& call) { call.src_world = WorldOf(world_handle); },
      [&](HostServices&) -> PF_Err {
        const World* world = WorldOf(world_handle);
        if (world == nullptr || rowbytes == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        *rowbytes = static_cast<A_u_long>(world->effect_world.rowbytes);
        return PF_Err_NONE;
      });
}

// The base address only for a world of the matching depth.
template <class Pixel, Depth kDepth>
A_Err GetBaseAddr(AEGP_WorldH world_handle, Pixel** base) {
  return Serve(
      "AEGP_GetBaseAddr", [&](HostCall& call) { call.src_world = WorldOf(world_handle); },
      [&](HostServices&) -> PF_Err {
        const World* world = WorldOf(world_handle);
        if (world == nullptr || base == nullptr || world->depth != kDepth) {
          return PF_Err_BAD_CALLBACK_PARAM;
        }
        *base = world->pixel<Pixel>(0, 0);
        return PF_Err_NONE;
      });
}

A_Err FillOutPFEffectWorld(AEGP_WorldH world_handle, PF_EffectWorld* description) {
  return Serve(
      "AEGP_FillOutPFEffectWorld", [&](HostCall& call) { call.src_world = WorldOf(world_handle); },
      [&](HostServices&) -> PF_Err {
        const World* world = WorldOf(world_handle);
        if (world == nullptr || description == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        *description = world->effect_world;  // reserved0 still leads back to the World
        return PF_Err_NONE;
      });
}

A_Err FastBlurSlot(A_FpLong radius, PF_ModeFlags mode, PF_Quality quality,
                   AEGP_WorldH world_handle) {
  return Serve(
      "AEGP_FastBlur",
      [&](HostCall& call) {
        call.dst_world = WorldOf(world_handle);
        call.radius = radius;
        call.mode_flags = mode;
        call.quality = quality;
      },
      [&](HostServices&) -> PF_Err {
        const World* world = WorldOf(world_handle);
        if (world == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        return image::FastBlur(*world, radius, mode);
      });
}

PF_Err PfNewWorld(PF_ProgPtr, A_long width, A_long height, PF_Boolean, PF_PixelFormat format,
                  PF_EffectWorld* description) {
  return Serve(
      "PF_NewWorld",
      [&](HostCall& call) {
        if (const std::optional<Depth> depth = DepthOfFormat(format)) {
          call.world_type = static_cast<AEGP_WorldType>(*depth);
        }
        call.width = width;
        call.height = height;
      },
      [&](HostServices& host) -> PF_Err {
        const std::optional<Depth> depth = DepthOfFormat(format);
        if (description == nullptr || !depth) return PF_Err_BAD_CALLBACK_PARAM;
        // Worlds here always start cleared, whatever clear_pixB asks.
        World* world = host.worlds.Create(*depth, width, height);
        if (world == nullptr) return RefuseWorldSize(host, "PF_NewWorld", width, height);
        *description = world->effect_world;
        return PF_Err_NONE;
      });
}

PF_Err PfDisposeWorld(PF_ProgPtr, PF_EffectWorld* description) {
  return Serve<OnFault::kRunAnyway>(
      "PF_DisposeWorld", [&](HostCall& call) { call.dst_world = WorldStore::Of(description); },
      [&](HostServices& host) -> PF_Err {
        const PF_Err err = host.worlds.Dispose(WorldStore::Of(description));
        if (err == PF_Err_NONE) description->data = nullptr;
        return err;
      });
}

PF_Err GetPixelFormat(const PF_EffectWorld* description, PF_PixelFormat* format) {
  return Serve(
      "PF_GetPixelFormat", [&](HostCall& call) { call.src_world = WorldStore::Of(description); },
      [&](HostServices&) -> PF_Err {
        const World* world = WorldStore::Of(description);
        if (world == nullptr || format == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        *format = PixelFormatOf(world->depth);
        return PF_Err_NONE;
      });
}

const AEGP_WorldSuite3 kAegpWorldSuite3 = [] {
  AEGP_WorldSuite3 table{};
  table.AEGP_New = New;
  table.AEGP_Dispose = Dispose;
  table.AEGP_GetType = GetType;
  table.AEGP_GetSize = GetSize;
  table.AEGP_GetRowBytes = GetRowBytes;
  table.AEGP_GetBaseAddr8 = GetBaseAddr<PF_Pixel8, Depth::k8>;
  table.AEGP_GetBaseAddr16 = GetBaseAddr<PF_Pixel16, Depth::k16>;
  table.AEGP_GetBaseAddr32 = GetBaseAddr<PF_PixelFloat, Depth::k32>;
  table.AEGP_FillOutPFEffectWorld = FillOutPFEffectWorld;
  table.AEGP_FastBlur = FastBlurSlot;
  LeaveUnserved<A_Err_GENERIC>(table.AEGP_NewPlatformWorld);
  LeaveUnserved<A_Err_GENERIC>(table.AEGP_DisposePlatformWorld);
  LeaveUnserved<A_Err_GENERIC>(table.AEGP_NewReferenceFromPlatformWorld);
  return table;
}();

const PF_WorldSuite2 kPfWorldSuite2 = {
    .PF_NewWorld = PfNewWorld,
    .PF_DisposeWorld = PfDisposeWorld,
    .PF_GetPixelFormat = GetPixelFormat,
};

}  // namespace

const AEGP_WorldSuite3& AegpWorldSuite3() {
  return kAegpWorldSuite3;
}
const PF_WorldSuite2& PfWorldSuite2() {
  return kPfWorldSuite2;
}

}  // namespace hostsim::suites
