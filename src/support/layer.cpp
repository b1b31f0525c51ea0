// The support layer.
namespace tama {}
