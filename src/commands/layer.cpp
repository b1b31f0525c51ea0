// The commands layer.
namespace tama {}
