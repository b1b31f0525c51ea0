// The frontend layer.
namespace tama {}
