// The engine layer.
namespace tama {}
